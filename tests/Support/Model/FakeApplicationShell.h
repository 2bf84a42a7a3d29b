#pragma once

#include "ApplicationShell.h"

#include <QStringList>

// A shell without windows that records what the model asked of it.
class FakeApplicationShell final : public ApplicationShell
{
public:
    void applyAppearance(const QString &themeMode) override { appearances.append(themeMode); }
    void copyToClipboard(const QString &text) override { clipboard = text; }
    void hideMainWindows() override { ++hideCount; }
    void applyLanguage(const QString &language) override { languages.append(language); }

    QStringList appearances;
    QString clipboard;
    int hideCount = 0;
    QStringList languages;
};

#pragma once

#include "ApplicationShell.h"

#include <QObject>

// The model's requests to the desktop: the clipboard and the main windows directly; appearance
// and language as signals for the parts that own them (the theme environment, the translator).
class DesktopShell final : public QObject, public ApplicationShell
{
    Q_OBJECT

public:
    using QObject::QObject;

    void applyAppearance(const QString &themeMode) override { emit appearanceRequested(themeMode); }
    void copyToClipboard(const QString &text) override;
    void hideMainWindows() override;
    void applyLanguage(const QString &language) override { emit languageRequested(language); }

signals:
    void appearanceRequested(const QString &themeMode);
    void languageRequested(const QString &language);
};

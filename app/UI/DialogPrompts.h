#pragma once

#include "Prompts.h"

// The model's questions as modal dialogs over the active window. After each one the keyboard
// focus is taken from whatever text field held it.
class DialogPrompts final : public Prompts
{
public:
    QList<FileLocation> chooseFolders(const QString &message, const QString &prompt) override;
    std::optional<FileLocation> chooseFile(const QString &message, const QStringList &extensions) override;
    std::optional<QString> askText(const QString &title, const QString &message, const QString &value) override;
    bool confirm(const QString &title, const QString &message, const QString &confirmButton) override;
    void inform(const QString &title, const QString &message) override;
};

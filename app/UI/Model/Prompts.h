#pragma once

#include "Storage/FileLocation.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The modal questions the model asks the user. Each returns once the user has answered; the
// production answers come from dialogs, tests script them.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // Folders chosen in an open panel that allows several; empty when cancelled.
    virtual QList<FileLocation> chooseFolders(const QString &message, const QString &prompt) = 0;
    // One file of the given extensions (no dot; empty for any file); nothing when cancelled.
    virtual std::optional<FileLocation> chooseFile(const QString &message, const QStringList &extensions) = 0;
    // A text field under the title and message with "确定" and "取消"; the text exactly as typed,
    // or nothing when cancelled.
    virtual std::optional<QString> askText(const QString &title, const QString &message, const QString &value) = 0;
    // The confirming button first, "取消" second; true when the first was chosen.
    virtual bool confirm(const QString &title, const QString &message, const QString &confirmButton) = 0;
    // One button, "确定".
    virtual void inform(const QString &title, const QString &message) = 0;
};

#pragma once

#include "Prompts.h"

#include <QList>
#include <QStringList>

// Answers the model's questions from scripted queues and records every text it was shown. An
// empty queue answers as the user who cancels.
class FakePrompts final : public Prompts
{
public:
    QList<FileLocation> chooseFolders(const QString &message, const QString &prompt) override;
    std::optional<FileLocation> chooseFile(const QString &message, const QStringList &extensions) override;
    std::optional<QString> askText(const QString &title, const QString &message, const QString &value) override;
    bool confirm(const QString &title, const QString &message, const QString &confirmButton) override;
    void inform(const QString &title, const QString &message) override;

    // Scripted answers, used first to last.
    QList<QList<FileLocation>> folderAnswers;
    QList<std::optional<FileLocation>> fileAnswers;
    QList<std::optional<QString>> textAnswers;
    QList<bool> confirmAnswers;

    // One entry per question: its texts joined by " | " (for askText also the preset value).
    QStringList shown;
};

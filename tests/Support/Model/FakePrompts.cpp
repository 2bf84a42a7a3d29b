#include "FakePrompts.h"

namespace {

template <typename T> T takeFirst(QList<T> &answers, T cancelled)
{
    return answers.isEmpty() ? cancelled : answers.takeFirst();
}

} // namespace

QList<FileLocation> FakePrompts::chooseFolders(const QString &message, const QString &prompt)
{
    shown.append(message + QStringLiteral(" | ") + prompt);
    return takeFirst(folderAnswers, QList<FileLocation>());
}

std::optional<FileLocation> FakePrompts::chooseFile(const QString &message, const QStringList &extensions)
{
    shown.append(message + QStringLiteral(" | ") + extensions.join(QLatin1Char(',')));
    return takeFirst(fileAnswers, std::optional<FileLocation>());
}

std::optional<QString> FakePrompts::askText(const QString &title, const QString &message, const QString &value)
{
    shown.append(title + QStringLiteral(" | ") + message + QStringLiteral(" | ") + value);
    return takeFirst(textAnswers, std::optional<QString>());
}

bool FakePrompts::confirm(const QString &title, const QString &message, const QString &confirmButton)
{
    shown.append(title + QStringLiteral(" | ") + message + QStringLiteral(" | ") + confirmButton);
    return takeFirst(confirmAnswers, false);
}

void FakePrompts::inform(const QString &title, const QString &message)
{
    shown.append(title + QStringLiteral(" | ") + message);
}

#pragma once

#include <QString>

// Why a library folder could not be given a new name.
struct FolderRenameError
{
    enum class Kind { DestinationExists, InvalidName };

    Kind kind;
    QString name; // the trimmed new name, for DestinationExists

    static FolderRenameError destinationExists(const QString &name) { return {Kind::DestinationExists, name}; }
    static FolderRenameError invalidName() { return {Kind::InvalidName, {}}; }

    QString errorDescription() const;
};

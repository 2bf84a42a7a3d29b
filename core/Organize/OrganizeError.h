#pragma once

#include "OrganizePlanItem.h"

#include "Storage/FileError.h"

#include <QList>
#include <QString>

#include <memory>

// What went wrong while organising or undoing. A failed file operation (including a failed save
// of the journal) is an error of its own kind, so that every result of the organizer carries one
// error type.
class OrganizeError
{
public:
    enum class Kind {
        SourceMissing, // nothing at the source (location: the source)
        DestinationExists, // something at the destination (location: the destination)
        RestoreConflict, // something at the original place while undoing (location: the source)
        ApplyFailed, // an item failed; `items` were applied before it
        UndoFailed, // an item failed; `items` were restored before it
        Interrupted, // the run was asked to stop; `items` were applied before that
        File, // a file operation failed
    };

    static OrganizeError sourceMissing(const FileLocation &source);
    static OrganizeError destinationExists(const FileLocation &destination);
    static OrganizeError restoreConflict(const FileLocation &source);
    static OrganizeError applyFailed(QList<OrganizePlanItem> applied, const OrganizeError &underlying);
    static OrganizeError undoFailed(QList<OrganizePlanItem> restored, const OrganizeError &underlying);
    static OrganizeError interrupted(QList<OrganizePlanItem> applied);
    static OrganizeError file(const FileError &error);

    Kind kind() const { return m_kind; }
    const FileLocation &location() const { return m_location; }
    // The items applied (ApplyFailed, Interrupted) or restored (UndoFailed) before the failure.
    const QList<OrganizePlanItem> &items() const { return m_items; }
    // The cause of ApplyFailed and UndoFailed; null for the other kinds.
    const OrganizeError *underlying() const { return m_underlying.get(); }
    // The failed operation of File.
    const FileError &fileError() const { return m_fileError; }

    // The text shown to the user.
    QString text() const;

private:
    explicit OrganizeError(Kind kind)
        : m_kind(kind)
    {
    }

    Kind m_kind;
    FileLocation m_location;
    QList<OrganizePlanItem> m_items;
    std::shared_ptr<const OrganizeError> m_underlying;
    FileError m_fileError;
};

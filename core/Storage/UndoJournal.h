#pragma once

#include "BackupJSON.h"
#include "FileOperations.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <expected>
#include <optional>

// A journal of undo entries in one JSON file with its backup companion, oldest first and at most
// `limit` long. The entries change only once the file holding them is saved, so the two always
// match. Not thread-safe.
template <typename Entry>
class UndoJournal
{
public:
    struct Notices
    {
        QString restoredFromBackup;
        QString damaged;
    };

    // Creates the folder and loads the newest entries, leaving the file as it is even when it
    // holds more. Never fails: a damaged journal starts empty and says so in loadNotice.
    UndoJournal(const FileLocation &file, int limit, const Notices &notices, FileOperations &files)
        : m_file(file), m_limit(std::max(limit, 1)), m_files(files)
    {
        // A folder that cannot be made shows up as the load's or the next save's own error.
        (void)m_files.createDirectories(file.deletingLastPathComponent());
        // Saves cut short by a crash leave hidden temporaries of the journal and its backup.
        m_files.removeStaleTemporaries(file.deletingLastPathComponent(), file.fileName());
        m_files.removeStaleTemporaries(file.deletingLastPathComponent(), file.fileName() + ".bak");
        Loaded<QList<Entry>> loaded = BackupJSON::load<QList<Entry>>(file, m_files);
        if (loaded.source == LoadSource::Backup)
            m_loadNotice = notices.restoredFromBackup;
        else if (loaded.source == LoadSource::Unreadable)
            m_loadNotice = notices.damaged;
        if (loaded.value)
            m_entries = trimmed(std::move(*loaded.value));
    }

    const QList<Entry> &entries() const { return m_entries; }
    const std::optional<QString> &loadNotice() const { return m_loadNotice; }
    const FileLocation &file() const { return m_file; }
    int limit() const { return m_limit; }

    // Saves the list; only then does it become the entries.
    std::expected<void, FileError> save(const QList<Entry> &entries)
    {
        if (auto saved = BackupJSON::save(entries, m_file, m_files); !saved)
            return saved;
        m_entries = entries;
        return {};
    }

    // Appends the entry, dropping the oldest beyond the limit.
    std::expected<void, FileError> append(const Entry &entry)
    {
        QList<Entry> updated = m_entries;
        updated.append(entry);
        return save(trimmed(std::move(updated)));
    }

    std::expected<void, FileError> removeLast()
    {
        QList<Entry> remaining = m_entries;
        if (!remaining.isEmpty())
            remaining.removeLast();
        return save(remaining);
    }

    // Removes the journal and its backup.
    std::expected<void, FileError> clear()
    {
        if (auto removed = BackupJSON::remove(m_file, m_files); !removed)
            return removed;
        m_entries.clear();
        return {};
    }

private:
    QList<Entry> trimmed(QList<Entry> entries) const
    {
        if (entries.size() > m_limit)
            entries.remove(0, entries.size() - m_limit);
        return entries;
    }

    FileLocation m_file;
    int m_limit;
    FileOperations &m_files;
    QList<Entry> m_entries;
    std::optional<QString> m_loadNotice;
};

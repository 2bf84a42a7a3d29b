#pragma once

#include "TagIO.h"

#include <QHash>
#include <QMutex>
#include <QSet>

// Tags kept in memory by file, safe to use from file jobs on worker threads.
class FakeTagIO final : public TagIO
{
public:
    std::optional<TagFields> read(const FileLocation &file) const override;
    // Merges the present fields (the empty text and 0 remove a tag); fails for files scripted to fail.
    std::expected<void, TagServiceError> write(const TagFields &fields, const FileLocation &file) const override;

    void setTags(const FileLocation &file, const TagFields &fields);
    void failReading(const FileLocation &file);
    void failWriting(const FileLocation &file, const QString &error);
    int writeCount() const;

private:
    mutable QMutex m_lock;
    mutable QHash<FileLocation, TagFields> m_files;
    QSet<FileLocation> m_unreadable;
    QHash<FileLocation, QString> m_writeFailures;
    mutable int m_writeCount = 0;
};

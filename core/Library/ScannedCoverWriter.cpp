#include "ScannedCoverWriter.h"

#include "Storage/JsonFields.h"

#include <QRandomGenerator>

namespace {

// It reads as the file operations' own temporaries, so a load after a crash clears what was left.
QByteArray temporaryCoverName()
{
    return ".cover." + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".part";
}

} // namespace

QString ScannedCoverWriter::nameFor(const QUuid &trackID)
{
    return Json::uuidText(trackID) + u".jpg"_qs;
}

ScannedCoverWriter::ScannedCoverWriter(const FileLocation &folder, FileOperations &files)
    : m_folder(folder), m_files(files), m_seed(size_t(QRandomGenerator::global()->generate64()))
{
}

std::optional<FileError> ScannedCoverWriter::firstError() const
{
    const QMutexLocker locker(&m_lock);
    return m_error;
}

std::optional<FileLocation> ScannedCoverWriter::fail(const FileError &error)
{
    const QMutexLocker locker(&m_lock);
    if (!m_error)
        m_error = error;
    return std::nullopt;
}

bool ScannedCoverWriter::prepareFolder()
{
    const QMutexLocker locker(&m_lock);
    if (m_folderReady)
        return true;
    // The covers folder is made by the first cover written.
    if (auto created = m_files.createDirectories(m_folder, 0700); !created) {
        if (!m_error)
            m_error = created.error();
        return false;
    }
    m_folderReady = true;
    return true;
}

std::optional<FileLocation> ScannedCoverWriter::writtenWithSameBytes(const ContentKey &key, const QByteArray &cover)
{
    std::optional<FileLocation> candidate;
    {
        const QMutexLocker locker(&m_lock);
        if (const auto found = m_written.constFind(key); found != m_written.constEnd())
            candidate = *found;
    }
    if (!candidate)
        return std::nullopt;
    const auto stored = m_files.readAll(*candidate, cover.size());
    return stored && *stored == cover ? candidate : std::nullopt;
}

std::optional<FileLocation> ScannedCoverWriter::write(const QByteArray &cover, const QString &name)
{
    if (!prepareFolder())
        return std::nullopt;
    const FileLocation file = m_folder.appending(name.isEmpty() ? temporaryCoverName() : name.toUtf8());
    const ContentKey key{cover.size(), qHash(QByteArrayView(cover), m_seed)};
    const std::optional<FileLocation> same = writtenWithSameBytes(key, cover);
    const QMutexLocker writing(&m_writing);
    if (same && m_files.linkOrCopyUnsynced(*same, file))
        return file;
    // A cover can always be read again from its audio file, so it is not flushed to disk.
    if (auto written = m_files.writeAtomicallyUnsynced(file, cover); !written)
        return fail(written.error());
    const QMutexLocker locker(&m_lock);
    m_written.insert(key, file);
    return file;
}

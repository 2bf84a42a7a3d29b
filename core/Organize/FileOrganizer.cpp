#include "FileOrganizer.h"

#include "OrganizeFileOps.h"
#include "OrganizeTemplate.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>

namespace {

// Planned destinations are compared as text, canonically equivalent forms alike.
QString plannedKey(const FileLocation &location)
{
    return location.displayPath().normalized(QString::NormalizationForm_C);
}

// "Song (n).flac" beside "Song.flac", shortened when needed so the name stays within the limit.
FileLocation numbered(const FileLocation &destination, int number)
{
    const QString extension = destination.pathExtension();
    QString suffix = QStringLiteral(" (%1)").arg(number);
    if (!extension.isEmpty())
        suffix += u'.' + extension;
    const QString stem = QFile::decodeName(destination.deletingPathExtension().fileName());
    return destination.deletingLastPathComponent().appending(OrganizeTemplate::fitName(stem, suffix));
}

} // namespace

FileOrganizer::FileOrganizer(OrganizeUndoStore &undo, FileOperations &files)
    : m_undo(undo)
    , m_files(files)
{
}

QList<OrganizePlanItem> FileOrganizer::plan(
    const QList<Track> &tracks, const QString &templateText, const FileLocation &root) const
{
    QList<OrganizePlanItem> items;
    QSet<QByteArray> plannedSources;
    QSet<QString> planned;
    // The next number to try per rendered destination: the lower ones are known to be taken.
    QHash<QString, int> nextNumber;
    for (const Track &track : tracks) {
        const FileLocation source = track.url.standardized();
        const FileLocation destination = OrganizeTemplate::render(templateText, track, root).standardized();
        if (destination.path() == source.path() || plannedSources.contains(source.path()))
            continue;
        plannedSources.insert(source.path());

        const QString destinationKey = plannedKey(destination);
        FileLocation candidate = destination;
        QString candidateKey = destinationKey;
        while (planned.contains(candidateKey) || m_files.entryExists(candidate)) {
            int &number = nextNumber[destinationKey];
            number = std::max(number, 2);
            candidate = numbered(destination, number++);
            candidateKey = plannedKey(candidate);
        }
        planned.insert(candidateKey);
        items.append({ track.url, candidate, candidate.path() != destination.path() });
    }
    return items;
}

std::expected<void, OrganizeError> FileOrganizer::preflight(const QList<OrganizePlanItem> &items) const
{
    for (const OrganizePlanItem &item : items) {
        if (!m_files.exists(item.source))
            return std::unexpected(OrganizeError::sourceMissing(item.source));
        if (m_files.entryExists(item.destination))
            return std::unexpected(OrganizeError::destinationExists(item.destination));
    }
    return {};
}

QList<FileLocation> FileOrganizer::missingFolders(const QList<OrganizePlanItem> &items) const
{
    QList<FileLocation> missing;
    QSet<QByteArray> seen;
    for (const OrganizePlanItem &item : items) {
        QList<FileLocation> chain;
        FileLocation folder = item.destination.standardized().deletingLastPathComponent();
        while (!folder.isEmpty() && !seen.contains(folder.path()) && !m_files.entryExists(folder)) {
            seen.insert(folder.path());
            chain.prepend(folder);
            const FileLocation parent = folder.deletingLastPathComponent();
            if (parent == folder)
                break;
            folder = parent;
        }
        missing += chain;
    }
    return missing;
}

std::expected<void, OrganizeError> FileOrganizer::apply(
    const QList<OrganizePlanItem> &planned, bool copy, const Progress &progress)
{
    if (planned.isEmpty())
        return {};
    // One item per source file: a second one would find its source gone.
    QList<OrganizePlanItem> items;
    QSet<QByteArray> sources;
    for (const OrganizePlanItem &item : planned) {
        if (!sources.contains(item.source.standardized().path())) {
            sources.insert(item.source.standardized().path());
            items.append(item);
        }
    }
    if (auto checked = preflight(items); !checked)
        return checked;
    // The journal comes first: whatever happens to the run, its files can be found again.
    if (auto recorded = m_undo.record(items, copy, missingFolders(items)); !recorded)
        return recorded;

    QList<OrganizePlanItem> applied;
    applied.reserve(items.size());
    for (const OrganizePlanItem &item : items) {
        if (m_stopRequested) {
            (void)m_undo.keepOnlyApplied(applied);
            return std::unexpected(OrganizeError::interrupted(applied));
        }
        if (auto done = applyItem(item, copy); !done) {
            // If this save fails, the full entry stays: undo skips the items never applied.
            (void)m_undo.keepOnlyApplied(applied);
            return std::unexpected(OrganizeError::applyFailed(applied, done.error()));
        }
        applied.append(item);
        if (progress)
            progress(int(applied.size()), int(items.size()));
    }
    return {};
}

std::expected<void, OrganizeError> FileOrganizer::applyItem(const OrganizePlanItem &item, bool copy)
{
    if (auto created = m_files.createDirectories(item.destination.deletingLastPathComponent()); !created)
        return std::unexpected(OrganizeError::file(created.error()));
    auto transferred = copy ? m_files.copyFile(item.source, item.destination)
                            : OrganizeFileOps::move(item.source, item.destination, m_files);
    if (transferred)
        return {};
    // A file that appeared at the destination since the check is never overwritten.
    if (transferred.error().code == EEXIST)
        return std::unexpected(OrganizeError::destinationExists(item.destination));
    return std::unexpected(OrganizeError::file(transferred.error()));
}

bool FileOrganizer::crossesVolumes(
    const FileLocation &source, const FileLocation &destination, FileOperations &files)
{
    const std::optional<dev_t> sourceVolume = volumeIdentifier(source, files);
    const std::optional<dev_t> destinationVolume = volumeIdentifier(destination, files);
    return !sourceVolume || !destinationVolume || *sourceVolume != *destinationVolume;
}

std::optional<dev_t> FileOrganizer::volumeIdentifier(const FileLocation &location, FileOperations &files)
{
    FileLocation path = location.standardized();
    if (path.isEmpty())
        return std::nullopt;
    for (;;) {
        const auto status = files.status(path);
        if (status)
            return status->device;
        // Only what is absent sends the search upwards; a location that cannot be examined
        // gives no answer.
        if (status.error().code != ENOENT && status.error().code != ENOTDIR)
            return std::nullopt;
        const FileLocation parent = path.deletingLastPathComponent();
        if (parent == path || parent.isEmpty())
            return std::nullopt;
        path = parent;
    }
}

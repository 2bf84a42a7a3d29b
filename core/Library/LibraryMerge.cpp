#include "LibraryMerge.h"

#include "Library/FileFingerprint.h"

#include <algorithm>

namespace LibraryMerge {

namespace {

bool liesUnderAny(const QByteArray &path, const QList<QByteArray> &prefixes)
{
    for (const QByteArray &prefix : prefixes) {
        if (path.startsWith(prefix))
            return true;
    }
    return false;
}

bool foundUnchangedInOrder(const QList<Track> &libraryTracks, const ScanResult &scan)
{
    if (libraryTracks.size() != scan.tracks.size())
        return false;
    for (qsizetype i = 0; i < libraryTracks.size(); ++i) {
        const Track &stored = libraryTracks.at(i);
        const Track &scanned = scan.tracks.at(i);
        if (FileFingerprint::of(stored) != FileFingerprint::of(scanned))
            return false;
        // The same location is the same path; only different ones need standardising.
        if (stored.url != scanned.url && pathOf(stored.url) != pathOf(scanned.url))
            return false;
    }
    return true;
}

QList<Track> withoutMissingFlags(QList<Track> tracks)
{
    if (std::ranges::any_of(std::as_const(tracks), &Track::isMissing)) {
        for (Track &track : tracks)
            track.isMissing = false;
    }
    return tracks;
}

// The plan as the general rule makes it, from one that took the common rescan's short cut.
Plan expanded(const Plan &plan)
{
    Plan full = plan;
    full.unchangedIsLibrary = false;
    full.unchanged = withoutMissingFlags(plan.unchanged);
    for (const Track &track : std::as_const(full.unchanged)) {
        const QByteArray path = pathOf(track.url);
        full.plannedPaths.insert(track.id, path);
        full.scannedPaths.insert(path);
    }
    return full;
}

} // namespace

QByteArray pathOf(const FileLocation &url)
{
    return url.standardized().path();
}

Plan plan(const QList<Track> &libraryTracks, ScanResult scan, const QList<FileLocation> &folders, bool scoped,
          const QList<FileLocation> &currentUnreadable)
{
    Plan plan;
    plan.scoped = scoped;
    for (const FileLocation &folder : folders) {
        QByteArray prefix = pathOf(folder);
        if (!prefix.endsWith('/'))
            prefix.append('/');
        plan.folderPrefixes.append(prefix);
    }

    if (scoped) {
        for (const FileLocation &url : currentUnreadable) {
            if (!liesUnderAny(pathOf(url), plan.folderPrefixes))
                plan.unreadableURLs.append(url);
        }
    }
    plan.unreadableURLs += scan.unreadable;
    for (const FileLocation &url : scan.unreadable)
        plan.unreadablePaths.insert(pathOf(url));

    if (foundUnchangedInOrder(libraryTracks, scan)) {
        plan.unchanged = libraryTracks;
        plan.unchangedIsLibrary = true;
        return plan;
    }

    // Positions into the library's tracks; a later track with the same path replaces an earlier one.
    QList<QByteArray> libraryPaths;
    libraryPaths.reserve(libraryTracks.size());
    QHash<QByteArray, qsizetype> library;
    library.reserve(libraryTracks.size());
    plan.plannedPaths.reserve(libraryTracks.size());
    for (qsizetype i = 0; i < libraryTracks.size(); ++i) {
        const QByteArray path = pathOf(libraryTracks.at(i).url);
        libraryPaths.append(path);
        library.insert(path, i);
        plan.plannedPaths.insert(libraryTracks.at(i).id, path);
    }

    // Tracks no one else holds are moved into the plan rather than copied.
    const bool ownsScannedTracks = scan.tracks.isDetached();
    const auto takeScanned = [&](qsizetype i) { return ownsScannedTracks ? std::move(scan.tracks[i]) : scan.tracks.at(i); };
    QList<qsizetype> newPositions; // in the pending tracks
    // With nothing stored, no current track is ever checked against the scanned paths.
    const bool recordsScannedPaths = !libraryTracks.isEmpty();
    if (recordsScannedPaths)
        plan.scannedPaths.reserve(scan.tracks.size());
    plan.pending.reserve(scan.tracks.size());
    for (qsizetype i = 0; i < scan.tracks.size(); ++i) {
        const QByteArray path = pathOf(scan.tracks.at(i).url);
        if (recordsScannedPaths)
            plan.scannedPaths.insert(path);
        const auto position = library.constFind(path);
        if (position == library.constEnd()) {
            newPositions.append(plan.pending.size());
            plan.pending.append(takeScanned(i));
            continue;
        }
        const Track &stored = libraryTracks.at(*position);
        if (FileFingerprint::of(stored) == FileFingerprint::of(scan.tracks.at(i))) {
            plan.unchanged.append(stored); // its missing flag is cleared when the plan is finished
        } else {
            Track rewritten = takeScanned(i);
            rewritten.id = stored.id;
            rewritten.artworkFileName = stored.artworkFileName;
            plan.pending.append(std::move(rewritten));
        }
        library.erase(position);
    }

    QHash<FileFingerprint, QList<QUuid>> vanishedByFingerprint;
    for (qsizetype i = 0; i < libraryTracks.size(); ++i) {
        const QByteArray &path = libraryPaths.at(i);
        if (plan.scannedPaths.contains(path) || plan.unreadablePaths.contains(path))
            continue;
        if (scoped && !liesUnderAny(path, plan.folderPrefixes))
            continue;
        vanishedByFingerprint[FileFingerprint::of(libraryTracks.at(i))].append(libraryTracks.at(i).id);
    }
    // Nothing vanished, nothing moved: the common case of a first import.
    if (vanishedByFingerprint.isEmpty())
        return plan;

    QSet<QByteArray> newPaths;
    for (const qsizetype position : std::as_const(newPositions))
        newPaths.insert(pathOf(plan.pending.at(position).url));
    QHash<FileFingerprint, QList<qsizetype>> newFilesByFingerprint; // pending positions
    for (qsizetype i = 0; i < plan.pending.size(); ++i) {
        if (newPaths.contains(pathOf(plan.pending.at(i).url)))
            newFilesByFingerprint[FileFingerprint::of(plan.pending.at(i))].append(i);
    }

    // Only a one-to-one match of fingerprints is a move.
    QSet<qsizetype> moved;
    for (auto it = newFilesByFingerprint.cbegin(); it != newFilesByFingerprint.cend(); ++it) {
        const auto vanished = vanishedByFingerprint.constFind(it.key());
        if (it->size() != 1 || vanished == vanishedByFingerprint.constEnd() || vanished->size() != 1)
            continue;
        plan.moves.insert(vanished->first(), plan.pending.at(it->first()).url);
        moved.insert(it->first());
    }
    if (!moved.isEmpty()) {
        QList<Track> remaining;
        remaining.reserve(plan.pending.size() - moved.size());
        for (qsizetype i = 0; i < plan.pending.size(); ++i) {
            if (!moved.contains(i))
                remaining.append(plan.pending.at(i));
        }
        plan.pending = std::move(remaining);
    }
    return plan;
}

QList<FileLocation> unreadableURLs(const Plan &plan, const QList<FileLocation> &currentUnreadable)
{
    if (!plan.scoped)
        return plan.unreadableURLs;
    QList<FileLocation> kept;
    for (const FileLocation &url : currentUnreadable) {
        if (!liesUnderAny(pathOf(url), plan.folderPrefixes))
            kept.append(url);
    }
    return kept + plan.unreadableURLs;
}

QList<Track> finish(const Plan &plan, const QList<Track> &currentTracks)
{
    if (plan.unchangedIsLibrary) {
        // A shared list is never changed in place, so the same data means the same tracks.
        if (currentTracks.constData() == plan.unchanged.constData() && currentTracks.size() == plan.unchanged.size())
            return withoutMissingFlags(currentTracks);
        return finish(expanded(plan), currentTracks);
    }
    QHash<QUuid, qsizetype> currentPosition;
    currentPosition.reserve(currentTracks.size());
    QSet<QByteArray> claimedPaths; // current paths of the tracks added or re-pointed meanwhile
    const auto changedMeanwhile = [&plan](const Track &track) {
        const auto planned = plan.plannedPaths.constFind(track.id);
        return planned == plan.plannedPaths.constEnd() || *planned != pathOf(track.url);
    };
    for (qsizetype i = 0; i < currentTracks.size(); ++i) {
        const Track &track = currentTracks.at(i);
        currentPosition.insert(track.id, i);
        if (changedMeanwhile(track))
            claimedPaths.insert(pathOf(track.url));
    }

    QList<Track> merged;
    merged.reserve(currentTracks.size() + plan.pending.size());
    QSet<QUuid> emitted; // only the current tracks are checked against it
    auto append = [&](const Track &track) {
        if (!currentPosition.isEmpty())
            emitted.insert(track.id);
        merged.append(track);
    };

    for (const Track &track : plan.unchanged) {
        const auto position = currentPosition.constFind(track.id);
        if (position == currentPosition.constEnd())
            continue; // removed while the rescan ran
        Track current = currentTracks.at(*position);
        current.isMissing = false;
        append(current);
    }
    for (const Track &track : plan.pending) {
        if (!plan.plannedPaths.contains(track.id)) {
            if (claimedPaths.isEmpty() || !claimedPaths.contains(pathOf(track.url)))
                append(track);
            continue;
        }
        // A rewritten file: its track may have been removed or re-pointed meanwhile.
        const auto position = currentPosition.constFind(track.id);
        if (position != currentPosition.constEnd() && !changedMeanwhile(currentTracks.at(*position)))
            append(track);
    }
    for (const Track &track : currentTracks) {
        if (emitted.contains(track.id))
            continue;
        if (changedMeanwhile(track)) {
            merged.append(track);
            continue;
        }
        const QByteArray path = pathOf(track.url);
        if (plan.scannedPaths.contains(path))
            continue; // another record of the same path was matched
        Track kept = track;
        if (const auto move = plan.moves.constFind(track.id); move != plan.moves.constEnd()) {
            kept.url = *move;
            kept.isMissing = false;
        } else if ((plan.scoped && !liesUnderAny(path, plan.folderPrefixes)) || plan.unreadablePaths.contains(path)) {
            // outside this rescan, or there but unreadable: as it was
        } else {
            kept.isMissing = true;
        }
        merged.append(kept);
    }
    return merged;
}

} // namespace LibraryMerge

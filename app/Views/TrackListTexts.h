#pragma once

#include "UI/Model/LibrarySelection.h"
#include "UI/Model/VisibleTrackList.h"

#include "Models/Playlist.h"

#include <QList>
#include <QString>

// The texts the track list derives from the model: the header's title and meta line, and what
// the empty state says and offers.
namespace TrackListTexts {

QString title(const LibrarySelection &selection, const QList<Playlist> &playlists);

// "%d 分钟" below an hour, "%d 小时 %d 分" from an hour on; seconds are dropped.
QString durationText(double totalSeconds);

// "%d 首 · %@" with the number of tracks and their total time. Durations that are negative or
// not finite count as nothing, so a damaged record cannot make the sum meaningless.
QString metaLine(const VisibleTrackList &tracks);

enum class EmptySituation { Searching, EmptyPlaylist, EmptyFolder, EmptyLibrary };

// The first case that applies: a search, then (with tracks in the library) a playlist or a
// folder, else the empty library. All music and recently added with tracks in the library
// cannot be empty without a search; they read as an empty library.
EmptySituation emptySituation(const QString &searchText, const LibrarySelection &selection, bool libraryHasTracks);

struct EmptyStateContent
{
    QString title;
    QString hint;
    QString button;
};
EmptyStateContent emptyStateContent(EmptySituation situation);

} // namespace TrackListTexts

#include "TrackListTexts.h"

#include "Localization.h"

#include <cmath>
#include <limits>

namespace TrackListTexts {

QString title(const LibrarySelection &selection, const QList<Playlist> &playlists)
{
    switch (selection.kind()) {
    case LibrarySelection::Kind::AllMusic:
        return L("全部音乐");
    case LibrarySelection::Kind::RecentlyAdded:
        return L("最近添加");
    case LibrarySelection::Kind::Folder:
        return selection.folderLocation()->fileNameText();
    case LibrarySelection::Kind::Playlist:
        break;
    }
    const auto playlist = std::ranges::find(playlists, *selection.playlistID(), &Playlist::id);
    return playlist != playlists.end() ? playlist->name : L("播放列表");
}

QString durationText(double totalSeconds)
{
    // Kept well inside a 64-bit count; no library comes near it.
    constexpr double largest = double(std::numeric_limits<qint32>::max()) * 3600;
    const double clamped = std::isfinite(totalSeconds) ? std::clamp(totalSeconds, 0.0, largest) : 0.0;
    const qint64 seconds = qint64(clamped);
    if (seconds < 3600)
        return Lf("%d 分钟", (seconds % 3600) / 60);
    return Lf("%d 小时 %d 分", seconds / 3600, (seconds % 3600) / 60);
}

QString metaLine(const VisibleTrackList &tracks)
{
    double total = 0;
    for (const Track &track : tracks) {
        if (std::isfinite(track.duration) && track.duration > 0)
            total += track.duration;
    }
    return Lf("%d 首 · %@", tracks.size(), durationText(total));
}

EmptySituation emptySituation(const QString &searchText, const LibrarySelection &selection, bool libraryHasTracks)
{
    if (!searchText.trimmed().isEmpty())
        return EmptySituation::Searching;
    if (libraryHasTracks && selection.kind() == LibrarySelection::Kind::Playlist)
        return EmptySituation::EmptyPlaylist;
    if (libraryHasTracks && selection.kind() == LibrarySelection::Kind::Folder)
        return EmptySituation::EmptyFolder;
    return EmptySituation::EmptyLibrary;
}

EmptyStateContent emptyStateContent(EmptySituation situation)
{
    switch (situation) {
    case EmptySituation::Searching:
        return {L("没有匹配的歌曲"), L("换个关键词，或清空搜索框。"), L("清空搜索")};
    case EmptySituation::EmptyPlaylist:
        return {L("这个播放列表还是空的"), L("回到「全部音乐」，把歌曲拖进侧栏的播放列表。"), L("查看全部音乐")};
    case EmptySituation::EmptyFolder:
        return {L("这个文件夹里没有歌曲"), L("换一个文件夹，或回到「全部音乐」。"), L("查看全部音乐")};
    case EmptySituation::EmptyLibrary:
        break;
    }
    return {L("音乐库是空的"), L("把音乐文件或文件夹拖到这里，或者选择一个文件夹。"), L("选择文件夹")};
}

} // namespace TrackListTexts

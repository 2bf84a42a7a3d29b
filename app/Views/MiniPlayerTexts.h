#pragma once

#include "Models/Track.h"

#include <QString>

#include <optional>

// The words the mini player shows for the model's state.
namespace MiniPlayerTexts {

// The track's title, or "未在播放".
QString title(const std::optional<Track> &track);

// "选择一首歌曲" without a track, "文件缺失" for a missing file, else the current lyric line
// (trimmed) when it has text, else the artist as stored, else "未知歌手".
QString subtitle(const std::optional<Track> &track, const std::optional<QString> &lyricLine);

} // namespace MiniPlayerTexts

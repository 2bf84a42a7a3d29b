#include "MiniPlayerTexts.h"

#include "Localization.h"

namespace MiniPlayerTexts {

QString title(const std::optional<Track> &track)
{
    return track ? track->title : L("未在播放");
}

QString subtitle(const std::optional<Track> &track, const std::optional<QString> &lyricLine)
{
    if (!track)
        return L("选择一首歌曲");
    if (track->isMissing)
        return L("文件缺失");
    if (lyricLine) {
        const QString line = lyricLine->trimmed();
        if (!line.isEmpty())
            return line;
    }
    return track->artist.isEmpty() ? L("未知歌手") : track->artist;
}

} // namespace MiniPlayerTexts

#include "MiniPlayerTexts.h"

#include "Localization.h"

#include <algorithm>
#include <cmath>

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

double progressFraction(double current, double total)
{
    if (!(total > 0))
        return 0;
    const double fraction = current / total;
    if (!std::isfinite(fraction))
        return 0;
    return std::clamp(fraction, 0.0, 1.0);
}

} // namespace MiniPlayerTexts

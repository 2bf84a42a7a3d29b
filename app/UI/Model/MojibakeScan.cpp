#include "MojibakeScan.h"

#include "Localization.h"
#include "Tags/MojibakeRepair.h"
#include "Tags/TagFormatCapabilities.h"

namespace MojibakeScan {

std::optional<MojibakeRepairCandidate> examine(const TagIO &tags, const Track &track)
{
    const TagFormatCapabilities capabilities = TagFormatCapabilities::capabilities(track.url);
    if (!capabilities.canWrite)
        return std::nullopt;
    const std::optional<TagFields> read = tags.read(track.url);
    if (!read)
        return std::nullopt;

    MojibakeRepairCandidate candidate{track, {}, {}};
    const auto examineField = [&](const std::optional<QString> &value, std::optional<QString> TagFields::*field,
                                  const char *line) {
        if (!value)
            return;
        if (const std::optional<QString> repaired = MojibakeRepair::repaired(*value)) {
            candidate.changes.append(Lf(line, *value, *repaired));
            candidate.fields.*field = *repaired;
        }
    };
    examineField(read->title, &TagFields::title, "标题：%@ → %@");
    examineField(read->artist, &TagFields::artist, "歌手：%@ → %@");
    examineField(read->album, &TagFields::album, "专辑：%@ → %@");
    if (capabilities.canWriteAlbumArtist)
        examineField(read->albumArtist, &TagFields::albumArtist, "专辑歌手：%@ → %@");
    if (candidate.changes.isEmpty())
        return std::nullopt;
    return candidate;
}

QString confirmationDetails(const QList<MojibakeRepairCandidate> &candidates)
{
    constexpr qsizetype shown = 5;
    QStringList lines;
    for (const MojibakeRepairCandidate &candidate : candidates.first(std::min(shown, candidates.size()))) {
        for (const QString &change : candidate.changes)
            lines.append(u"《"_qs + candidate.track.title + u"》"_qs + change);
    }
    QString details = lines.join(QLatin1Char('\n'));
    if (candidates.size() > shown)
        details += u"\n…"_qs;
    return details + L("\n\n只写入支持标签编辑的格式，音频内容不会改变；可撤销。");
}

} // namespace MojibakeScan

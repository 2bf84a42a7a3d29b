#include "LyricsDisplayState.h"

bool LyricsDisplayState::beginLoading(const std::optional<QUuid> &id)
{
    if (id && id == trackID) {
        isResolving = true;
        return false;
    }
    const bool cleared = lyrics.has_value();
    trackID = id;
    lyrics.reset();
    origin = LyricsOrigin::None;
    isResolving = id.has_value();
    return cleared;
}

void LyricsDisplayState::apply(const std::optional<ResolvedLyrics> &result, const QUuid &id)
{
    trackID = id;
    lyrics = result ? std::optional(result->lyrics) : std::nullopt;
    origin = result ? result->origin : LyricsOrigin::None;
    isResolving = false;
}

void LyricsDisplayState::finish(const std::optional<ResolvedLyrics> &result, const QUuid &id)
{
    if (trackID && *trackID == id)
        apply(result, id);
}

#pragma once

#include "Lyrics.h"
#include "LyricsOrigin.h"
#include "ResolvedLyrics.h"

#include <QUuid>

#include <optional>

// The lyrics shown for the current track, and whether a resolution for it is under way. A plain
// value owned by the model and changed on the GUI thread only. `origin` is None whenever there
// are no lyrics.
struct LyricsDisplayState
{
    std::optional<QUuid> trackID;
    std::optional<Lyrics> lyrics;
    LyricsOrigin origin = LyricsOrigin::None;
    bool isResolving = false;

    // Starts a resolution for the track: the same track keeps its lyrics while it resolves again;
    // another track clears them; no track returns to the initial state. True when shown lyrics
    // were cleared, so that the caller resets whatever it derived from them.
    bool beginLoading(const std::optional<QUuid> &id);
    // Shows the result for the track, unconditionally.
    void apply(const std::optional<ResolvedLyrics> &result, const QUuid &id);
    // Shows the result only when the state still belongs to that track; a late result is dropped.
    void finish(const std::optional<ResolvedLyrics> &result, const QUuid &id);

    friend bool operator==(const LyricsDisplayState &, const LyricsDisplayState &) = default;
};

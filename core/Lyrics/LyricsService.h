#pragma once

#include "LyricsCache.h"
#include "LyricsFetching.h"
#include "ResolvedLyrics.h"

#include "Models/Track.h"

#include <QFuture>

#include <memory>
#include <optional>

// Which lyrics belong to a track: the user's override, else a sidecar LRC file beside the audio
// file, else the cache of earlier online results, else the online source (whose result is then
// cached). The first source with at least one line wins.
class LyricsService
{
public:
    LyricsService(LyricsCache cache, std::shared_ptr<const LyricsFetching> client);

    const LyricsCache &cache() const { return m_cache; }

    // Replacing the client leaves resolutions already running on the old one.
    const std::shared_ptr<const LyricsFetching> &client() const { return m_client; }
    void setClient(std::shared_ptr<const LyricsFetching> client) { m_client = std::move(client); }

    bool isOnlineEnabled() const { return m_onlineEnabled; }
    void setOnlineEnabled(bool enabled) { m_onlineEnabled = enabled; }

    // Runs on the shared thread pool and never fails: every failing source moves on to the next,
    // and the result is none when no source has lines. A blank title is never looked up online.
    // Call on a thread with an event loop (the GUI thread); the client and the online switch are
    // read when the call is made. Cancelling the future abandons a request in flight; the caller
    // drops a result that arrives after its track stopped being current.
    QFuture<std::optional<ResolvedLyrics>> resolve(const Track &track) const;

    // The file as text: UTF-8, else the encoding a BOM names, else GB 18030; none when it cannot
    // be read or decoded cleanly, or is larger than any lyrics file.
    static std::optional<QString> readText(
        const FileLocation &file, FileOperations &files = FileOperations::system());

private:
    LyricsCache m_cache;
    std::shared_ptr<const LyricsFetching> m_client;
    bool m_onlineEnabled = true;
};

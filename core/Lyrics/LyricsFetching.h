#pragma once

#include "Lyrics.h"
#include "LyricsFetchError.h"

#include <QFuture>
#include <QString>

#include <expected>
#include <optional>

// An online source of lyrics.
class LyricsFetching
{
public:
    // The lyrics, none when the source has none for the track, or why there was no answer.
    using Result = std::expected<std::optional<Lyrics>, LyricsFetchError>;

    virtual ~LyricsFetching() = default;

    // One request; callable from any thread. Cancelling the future abandons the request.
    virtual QFuture<Result> fetch(const QString &title, const QString &artist, double duration) const = 0;
};

#pragma once

#include <QString>

// Why an online lyrics request gave no answer.
struct LyricsFetchError
{
    enum class Kind {
        BadStatus, // the answer's HTTP status is outside 200 to 299 and not 404 (-1: not HTTP)
        InvalidURL, // no request address can be built from the endpoint and the track (also for
                    // a duration that is not finite, negative or longer than a week)
        Transport, // the connection failed
        TimedOut, // the server went quiet, or the whole request took too long
        TooLarge, // the answer is larger than any lyrics can be
    };

    Kind kind = Kind::Transport;
    int status = 0; // BadStatus
    QString detail; // Transport: the network layer's text

    static LyricsFetchError badStatus(int status) { return { Kind::BadStatus, status, {} }; }
    static LyricsFetchError invalidURL() { return { Kind::InvalidURL, 0, {} }; }
    static LyricsFetchError transport(const QString &detail) { return { Kind::Transport, 0, detail }; }
    static LyricsFetchError timedOut() { return { Kind::TimedOut, 0, {} }; }
    static LyricsFetchError tooLarge() { return { Kind::TooLarge, 0, {} }; }

    friend bool operator==(const LyricsFetchError &, const LyricsFetchError &) = default;
};

#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// An LRCLIB endpoint's answer body read as JSON. Answers come from the network, so anything may
// arrive: every value of the body is checked, and nothing but the two lyrics members is kept.
struct LRCLIBAnswer
{
    enum class Kind {
        NotJson,  // the body is no single JSON value (after any UTF-8 byte-order mark)
        Unusable, // JSON, but not an object whose lyrics members are text, null or absent
        Payload,
    };

    static LRCLIBAnswer read(QByteArrayView body);

    Kind kind = Kind::NotJson;
    std::optional<QString> syncedLyrics;
    std::optional<QString> plainLyrics;
};

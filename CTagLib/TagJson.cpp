#include "TagJson.h"

#include "Base64.h"
#include "TagSnapshot.h"

#include <cstdio>

namespace TagJson {

namespace {

std::string jsonNumber(unsigned number)
{
    return number == 0 ? "null" : std::to_string(number);
}

std::string jsonCover(std::string_view cover)
{
    return cover.empty() ? "null" : '"' + Base64::encode(cover) + '"';
}

} // namespace

std::string jsonString(std::string_view utf8)
{
    if (utf8.empty())
        return "null";
    std::string text;
    text.reserve(utf8.size() + 2);
    text += '"';
    for (const char character : utf8) {
        switch (character) {
        case '"': text += "\\\""; break;
        case '\\': text += "\\\\"; break;
        case '\b': text += "\\b"; break;
        case '\f': text += "\\f"; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        default:
            if (static_cast<unsigned char>(character) < 0x20) {
                char escape[7];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(character));
                text += escape;
            } else {
                text += character;
            }
        }
    }
    text += '"';
    return text;
}

std::string encode(const TagSnapshot &snapshot)
{
    return "{\"title\":" + jsonString(snapshot.title)
        + ",\"artist\":" + jsonString(snapshot.artist)
        + ",\"album\":" + jsonString(snapshot.album)
        + ",\"albumArtist\":" + jsonString(snapshot.albumArtist)
        + ",\"year\":" + jsonNumber(snapshot.year)
        + ",\"trackNumber\":" + jsonNumber(snapshot.trackNumber)
        + ",\"genre\":" + jsonString(snapshot.genreText)
        + ",\"artworkBase64\":" + jsonCover(snapshot.cover) + '}';
}

} // namespace TagJson

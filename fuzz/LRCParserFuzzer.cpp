// Feeds arbitrary text to the LRC parser and checks what every caller relies on.
#include "Lyrics/LRCParser.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    const Lyrics synced = LRCParser::parse(text);
    for (qsizetype i = 0; i < synced.lines.size(); ++i) {
        const LyricLine &line = synced.lines[i];
        require(!line.text.contains(u'\n') && !line.text.contains(u'\r'));
        if (!synced.isSynced) {
            require(line.time == 0 && !line.text.isEmpty());
            continue;
        }
        if (i > 0)
            require(synced.lines[i - 1].time <= line.time);
        // The current line at a line's own time is that line or a later one with the same time.
        const std::optional<qsizetype> current = synced.index(line.time);
        require(current && *current >= i && synced.lines[*current].time == line.time);
    }
    if (synced.isSynced && !synced.lines.isEmpty()) {
        const double first = synced.lines.first().time;
        require(!synced.index(std::nextafter(first, -HUGE_VAL)).has_value());
    }

    const Lyrics plain = LRCParser::parsePlainText(text);
    require(!plain.isSynced);
    for (const LyricLine &line : plain.lines)
        require(line.time == 0 && !line.text.isEmpty());
    return 0;
}

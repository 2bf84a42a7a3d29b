#include "Lyrics/LRCLIBAnswer.h"
#include "Storage/JsonReader.h"

#include <cstddef>
#include <cstdint>

namespace {

// Reads whatever comes as the stored records do: typed reads picked by the key's first letter,
// optional fields, skipped values, and arrays split into runs that readers of their own read.
void walk(JsonReader &reader, int depth)
{
    if (depth > 8) {
        reader.skipValue();
        return;
    }
    if (reader.peek() == JsonReader::Type::Array) {
        reader.forEachElementRun(2, [depth](QByteArrayView run) {
            JsonReader part(JsonReader::Elements, run);
            if (part.beginArray()) {
                while (part.nextElement())
                    walk(part, depth + 1);
            }
            (void)part.atEnd();
        });
        return;
    }
    if (!reader.beginObject()) {
        reader.skipValue();
        return;
    }
    QByteArrayView key;
    while (reader.nextKey(key)) {
        std::optional<QString> text;
        switch (key.isEmpty() ? '\0' : key.front()) {
        case 's': reader.readString(); break;
        case 'a': reader.readSharedString(); break;
        case 'u': reader.readUtf8(); break;
        case 'i': reader.readInteger(); break;
        case 'n': reader.readNumber(); break;
        case 'b': reader.readBool(); break;
        case 'o': reader.readOptional(text, [&] { return reader.readString(); }); break;
        case 'x': reader.skipValue(); break;
        default: walk(reader, depth + 1); break;
        }
    }
}

} // namespace

// Any text is read to a value or refused, never a crash, through both ways the stores read and as
// a lyrics server's answer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(data, qsizetype(size));
    {
        JsonReader reader(text);
        if (reader.readValue())
            (void)reader.atEnd();
    }
    {
        JsonReader reader(text);
        walk(reader, 0);
        (void)reader.atEnd();
    }
    (void)LRCLIBAnswer::read(text);
    return 0;
}

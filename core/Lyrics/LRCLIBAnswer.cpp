#include "LRCLIBAnswer.h"

#include "Storage/JsonReader.h"

LRCLIBAnswer LRCLIBAnswer::read(QByteArrayView body)
{
    // Some servers put a UTF-8 byte-order mark before their JSON.
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    JsonReader reader(body);
    LRCLIBAnswer answer;
    if (reader.peek() != JsonReader::Type::Object) {
        if (reader.skipValue() && reader.atEnd())
            answer.kind = Kind::Unusable;
        return answer;
    }
    reader.beginObject();
    QByteArrayView key;
    while (reader.nextKey(key)) {
        if (key == "syncedLyrics")
            reader.readOptional(answer.syncedLyrics, [&reader] { return reader.readString(); });
        else if (key == "plainLyrics")
            reader.readOptional(answer.plainLyrics, [&reader] { return reader.readString(); });
        else
            reader.skipValue();
    }
    // An object that breaks off, or holds a member of another type, is a broken answer too.
    if (!reader.ok() || !reader.atEnd())
        return {Kind::Unusable, {}, {}};
    answer.kind = Kind::Payload;
    return answer;
}

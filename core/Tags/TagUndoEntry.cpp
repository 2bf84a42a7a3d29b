#include "TagUndoEntry.h"

void TagUndoEntry::write(JsonWriter &writer) const
{
    // Keys in sorted order.
    writer.beginObject();
    writer.key(QLatin1String("after"));
    after.write(writer);
    writer.key(QLatin1String("before"));
    before.write(writer);
    writer.key(QLatin1String("date"));
    writer.value(date);
    writer.key(QLatin1String("url"));
    writer.value(url);
    writer.endObject();
}

std::expected<TagUndoEntry, QString> TagUndoEntry::read(JsonReader &reader)
{
    enum Required : unsigned { After = 1 << 0, Before = 1 << 1, Date = 1 << 2, Url = 1 << 3, AllRequired = (1 << 4) - 1 };
    TagUndoEntry entry;
    unsigned seen = 0;

    if (!reader.beginObject())
        return std::unexpected(QStringLiteral("tag edit: ") + reader.error());
    QByteArrayView key;
    while (reader.nextKey(key)) {
        if (key == "after") {
            entry.after = TagFields::read(reader).value_or(TagFields()); // a failure stays in the reader
            seen |= After;
        } else if (key == "before") {
            entry.before = TagFields::read(reader).value_or(TagFields());
            seen |= Before;
        } else if (key == "date") {
            entry.date = reader.readNumber().value_or(0);
            seen |= Date;
        } else if (key == "url") {
            const auto utf8 = reader.readUtf8();
            const auto location = utf8 ? FileLocation::fromUrlText(QByteArrayView(*utf8)) : std::nullopt;
            if (utf8 && !location)
                reader.fail(QStringLiteral("url: not a file URL"));
            entry.url = location.value_or(FileLocation());
            seen |= Url;
        } else {
            reader.skipValue();
        }
    }
    if (!reader.ok())
        return std::unexpected(QStringLiteral("tag edit: ") + reader.error());
    if (seen != AllRequired)
        return std::unexpected(QStringLiteral("tag edit: a required key is missing"));
    return entry;
}

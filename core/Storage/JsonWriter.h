#pragma once

#include "FileLocation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// Writes pretty-printed JSON straight into a buffer, for the records that are stored by the
// hundred thousand (the library's tracks); building QJsonObjects for them is several times slower.
// Callers write the keys of each object in sorted order, as every stored file has them.
class JsonWriter
{
public:
    JsonWriter();

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(QLatin1StringView name);

    void value(const QString &text);
    // Text already in UTF-8 (or ASCII).
    void value(QByteArrayView utf8);
    void value(double number);
    void value(qint64 number);
    void value(bool flag);
    // Upper-case hyphenated text, as every stored file writes identifiers.
    void value(const QUuid &id);
    // The location's URL text.
    void value(const FileLocation &location);

    // An array of `count` elements, each written by `writeElement` (which must not touch shared
    // state): large arrays are written in chunks on all cores and joined in order.
    void writeArray(qsizetype count, const std::function<void(qsizetype, JsonWriter &)> &writeElement);

    // The key and the value, or nothing at all for an absent value (never null).
    template <typename T>
    void optionalField(QLatin1StringView name, const std::optional<T> &field)
    {
        if (field) {
            key(name);
            value(*field);
        }
    }

    // The document written so far; complete once every object and array is closed.
    QByteArray take();
    // The same in the parts it was written in, for writing out without joining them first.
    QList<QByteArray> takeParts();

private:
    // A writer for part of an array at `depth`, after `continuing` earlier elements or none.
    JsonWriter(int depth, bool continuing);

    // Room for `bytes` more at the end of what is written; the caller moves m_end past what it
    // writes there. The buffer is sized to its capacity, so writing costs no bounds checks.
    char *room(qsizetype bytes)
    {
        if (m_limit - m_end < bytes)
            grow(bytes);
        return m_end;
    }
    void grow(qsizetype bytes);
    void append(const char *data, qsizetype size);
    void append(char c) { *room(1) = c; ++m_end; }
    // What is written so far, as its own array; the writer is left empty.
    QByteArray takeWritten();

    void beforeValue();
    void newline();
    void writeEscaped(QByteArrayView utf8);
    // UTF-8 and escapes straight from UTF-16; false (nothing written) for text with surrogates.
    bool writeEscapedBmp(QStringView text);

    QList<QByteArray> m_parts; // written before m_buffer: the chunks of large arrays
    QByteArray m_buffer;
    char *m_end = nullptr;
    char *m_limit = nullptr;
    int m_depth = 0;
    bool m_first = true;      // nothing written yet in the current container
    bool m_afterKey = false;  // the next value completes a key-value pair
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

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

private:
    void beforeValue();
    void newline();
    void writeEscaped(QByteArrayView utf8);

    QByteArray m_out;
    int m_depth = 0;
    bool m_first = true;      // nothing written yet in the current container
    bool m_afterKey = false;  // the next value completes a key-value pair
};

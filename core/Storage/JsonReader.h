#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A strict pull parser over UTF-8 JSON, for the records that are loaded by the hundred thousand.
// Every read either succeeds or records the first error and fails from then on; callers check
// ok() at the end.
class JsonReader
{
public:
    enum class Type { Null, Bool, Number, String, Array, Object, Invalid };

    explicit JsonReader(QByteArrayView json);

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    void fail(const QString &message);

    Type peek();
    // Consumes a null when one is next.
    bool skipNull();

    // Objects: beginObject(), then nextKey() until it returns false.
    bool beginObject();
    // The next key, unescaped UTF-8, valid until the next read; false at the object's end or on
    // an error.
    bool nextKey(QByteArrayView &key);
    // Arrays: beginArray(), then nextElement() before each element until it returns false.
    bool beginArray();
    bool nextElement();

    std::optional<QByteArray> readUtf8();
    std::optional<QString> readString();
    std::optional<double> readNumber();
    // An integral number within the range of qint64.
    std::optional<qint64> readInteger();
    std::optional<bool> readBool();
    bool skipValue();

    // An optional field's value: null makes it absent, anything else goes through `read`.
    template <typename T, typename Read>
    void readOptional(std::optional<T> &field, Read read)
    {
        if (skipNull())
            field.reset();
        else
            field = read();
    }

    // True when only whitespace remains.
    bool atEnd();

private:
    void skipWhitespace();
    bool expect(char c);
    std::optional<QByteArrayView> numberText();
    std::optional<QByteArrayView> readRaw(QByteArray &scratch);

    const char *m_position;
    const char *m_end;
    QString m_error;
    bool m_firstInContainer = false;
    QByteArray m_scratch;
    QByteArray m_keyScratch;
};

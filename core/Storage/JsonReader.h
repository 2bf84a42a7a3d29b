#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// A strict pull parser over UTF-8 JSON, for the records that are loaded by the hundred thousand
// (simdjson On-Demand underneath). Every read either succeeds or records the first error and fails
// from then on; callers check ok() at the end. Values are read in document order: a value that is
// not read before the next key or element is skipped.
class JsonReader
{
public:
    enum class Type { Null, Bool, Number, String, Array, Object, Invalid };

    // Copies the bytes into a padded buffer of its own.
    explicit JsonReader(QByteArrayView json);
    // Takes the bytes over and pads them in place.
    explicit JsonReader(QByteArray &&json);
    // Reads `elements`, array elements separated by commas (a run of forEachElementRun()), as one
    // array.
    enum ElementsTag { Elements };
    JsonReader(ElementsTag, QByteArrayView elements);
    ~JsonReader();
    JsonReader(const JsonReader &) = delete;
    JsonReader &operator=(const JsonReader &) = delete;

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    void fail(const QString &message);

    Type peek();
    // Consumes a null when one is next.
    bool skipNull();

    // Objects: beginObject(), then nextKey() until it returns false.
    bool beginObject();
    // The next key, unescaped UTF-8, valid as long as the reader; false at the object's end or on
    // an error.
    bool nextKey(QByteArrayView &key);
    // Arrays: beginArray(), then nextElement() before each element until it returns false.
    bool beginArray();
    bool nextElement();

    // The unescaped UTF-8 of a string, valid until the next read.
    std::optional<QByteArrayView> readUtf8();
    std::optional<QString> readString();
    // A string that many records repeat (artists, albums): equal texts that one reader reads share
    // one QString, saving an allocation and the memory of every repeat.
    std::optional<QString> readSharedString();
    std::optional<double> readNumber();
    // An integral number within the range of qint64.
    std::optional<qint64> readInteger();
    std::optional<bool> readBool();
    // Any value, checked as strictly as the typed reads; integers keep all their digits.
    std::optional<QJsonValue> readValue();
    bool skipValue() { return readValue().has_value(); }

    // Consumes the array that is next and hands its elements out as they are found, in runs of up
    // to `length` each, as texts for readers of their own (constructed with `Elements`) that stay
    // valid as long as this reader: large arrays are read on all cores. The elements are only
    // delimited here; their own readers check them. False on an error.
    bool forEachElementRun(qsizetype length, const std::function<void(QByteArrayView)> &handOut);

    // An optional field's value: null makes it absent, anything else goes through `read`.
    template <typename T, typename Read>
    void readOptional(std::optional<T> &field, Read read)
    {
        if (skipNull())
            field.reset();
        else
            field = read();
    }

    // True when the whole text has been read and nothing but whitespace follows.
    bool atEnd();

private:
    struct State;
    void start();
    std::optional<QJsonValue> readValue(int depth);

    std::unique_ptr<State> m_state;
    QString m_error;
};

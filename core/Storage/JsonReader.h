#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <QList>

#include <expected>
#include <functional>
#include <optional>
#include <vector>

// A strict pull parser over UTF-8 JSON, for the records that are loaded by the hundred thousand.
// Every read either succeeds or records the first error and fails from then on; callers check
// ok() at the end.
class JsonReader
{
public:
    enum class Type { Null, Bool, Number, String, Array, Object, Invalid };

    // Reads the bytes in place: they must outlive the reader.
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

    // An array whose elements are each read by `read` (a reader -> std::expected<T, QString>) on a
    // reader of their own: large arrays are split at element boundaries and read on all cores.
    template <typename T, typename Read>
    std::expected<QList<T>, QString> readArray(Read read)
    {
        const std::optional<QList<QByteArrayView>> texts = elementTexts();
        if (!texts)
            return std::unexpected(m_error);
        std::vector<std::optional<T>> values(texts->size());
        QList<QString> errors(texts->size());
        forEachInParallel(texts->size(), [&](qsizetype i) {
            JsonReader element(texts->at(i));
            std::expected<T, QString> value = read(element);
            if (value && !element.atEnd())
                value = std::unexpected(QStringLiteral("trailing characters"));
            if (value)
                values[size_t(i)] = std::move(*value);
            else
                errors[i] = value.error();
        });
        QList<T> result;
        result.reserve(texts->size());
        for (qsizetype i = 0; i < texts->size(); ++i) {
            if (!values[size_t(i)]) {
                fail(QStringLiteral("element %1: %2").arg(i).arg(errors.at(i)));
                return std::unexpected(m_error);
            }
            result.append(std::move(*values[size_t(i)]));
        }
        return result;
    }

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
    // Consumes an array and gives the text of each element, checking only its structure.
    std::optional<QList<QByteArrayView>> elementTexts();
    // Calls `work` for every index below `count`, on all cores when there are many.
    static void forEachInParallel(qsizetype count, const std::function<void(qsizetype)> &work);

    // Moves past the comma before the next member of the open container; false at `close`.
    bool nextMember(char close);
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

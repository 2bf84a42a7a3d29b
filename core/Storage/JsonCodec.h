#pragma once

#include "JsonReader.h"
#include "JsonWriter.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QtConcurrent/QtConcurrentRun>
#include <QString>

#include <concepts>
#include <expected>

// How a record becomes JSON and back. A record type provides either
//   QJsonValue toJson() const;               static std::expected<T, QString> fromJson(const QJsonValue &);
// or, when it is stored by the hundred thousand, the streaming pair
//   void write(JsonWriter &) const;          static std::expected<T, QString> read(JsonReader &);
// Arrays of either kind come for free.
template <typename T>
concept JsonValueRecord = requires(const T &value, const QJsonValue &json) {
    { value.toJson() } -> std::convertible_to<QJsonValue>;
    { T::fromJson(json) } -> std::same_as<std::expected<T, QString>>;
};

template <typename T>
concept JsonStreamRecord = requires(const T &value, JsonWriter &writer, JsonReader &reader) {
    value.write(writer);
    { T::read(reader) } -> std::same_as<std::expected<T, QString>>;
};

template <typename T>
struct JsonCodec;

template <typename T>
    requires JsonValueRecord<T>
struct JsonCodec<T>
{
    static constexpr bool streamed = false;
    static QJsonValue encode(const T &value) { return value.toJson(); }
    static std::expected<T, QString> decode(const QJsonValue &json) { return T::fromJson(json); }
};

template <typename T>
    requires JsonStreamRecord<T>
struct JsonCodec<T>
{
    static constexpr bool streamed = true;
    static void write(const T &value, JsonWriter &writer) { value.write(writer); }
    static std::expected<T, QString> read(JsonReader &reader) { return T::read(reader); }
};

template <typename T>
struct JsonCodec<QList<T>>
{
    static constexpr bool streamed = JsonCodec<T>::streamed;

    static QJsonValue encode(const QList<T> &values)
        requires(!streamed)
    {
        QJsonArray array;
        for (const T &value : values)
            array.append(JsonCodec<T>::encode(value));
        return array;
    }

    static std::expected<QList<T>, QString> decode(const QJsonValue &json)
        requires(!streamed)
    {
        if (!json.isArray())
            return std::unexpected(QStringLiteral("expected an array"));
        const QJsonArray array = json.toArray();
        QList<T> values;
        values.reserve(array.size());
        for (qsizetype i = 0; i < array.size(); ++i) {
            auto value = JsonCodec<T>::decode(array.at(i));
            if (!value)
                return std::unexpected(QStringLiteral("element %1: %2").arg(i).arg(value.error()));
            values.append(std::move(*value));
        }
        return values;
    }

    static void write(const QList<T> &values, JsonWriter &writer)
        requires streamed
    {
        writer.writeArray(values.size(), [&values](qsizetype i, JsonWriter &part) {
            JsonCodec<T>::write(values.at(i), part);
        });
    }

    static std::expected<QList<T>, QString> read(JsonReader &reader)
        requires streamed
    {
        // Large arrays are read in runs on all cores, each run by a reader of its own, started as
        // soon as the run is found. Every run is waited for: they read the text of `reader`.
        QList<QFuture<std::expected<QList<T>, QString>>> runs;
        reader.forEachElementRun(runLength, [&runs](QByteArrayView run) {
            const qsizetype first = runs.size() * runLength;
            runs.append(QtConcurrent::run([run, first] {
                JsonReader part(JsonReader::Elements, run);
                return readElements(part, first);
            }));
        });
        QList<T> values;
        values.reserve(runs.size() * runLength);
        for (auto &run : runs) {
            std::expected<QList<T>, QString> part = run.takeResult();
            if (!part)
                reader.fail(part.error());
            else if (reader.ok())
                values.append(std::move(*part));
        }
        if (!reader.ok())
            return std::unexpected(reader.error());
        return values;
    }

private:
    // Short runs put the other cores to work soon after the array starts, balance the end, and
    // keep each thread's reading buffers small.
    static constexpr qsizetype runLength = 256;

    static std::expected<QList<T>, QString> readElements(JsonReader &reader, qsizetype firstIndex)
    {
        QList<T> values;
        values.reserve(runLength);
        if (!reader.beginArray())
            return std::unexpected(reader.error());
        while (reader.nextElement()) {
            auto value = JsonCodec<T>::read(reader);
            if (!value) {
                reader.fail(QStringLiteral("element %1: %2").arg(firstIndex + values.size()).arg(value.error()));
                return std::unexpected(reader.error());
            }
            values.append(std::move(*value));
        }
        if (!reader.ok() || !reader.atEnd())
            return std::unexpected(reader.ok() ? QStringLiteral("trailing characters") : reader.error());
        return values;
    }
};

#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <expected>

// How a record becomes JSON and back. A record type provides
//   QJsonValue toJson() const;  static std::expected<T, QString> fromJson(const QJsonValue &);
// and arrays of records come for free.
template <typename T>
struct JsonCodec
{
    static QJsonValue encode(const T &value) { return value.toJson(); }
    static std::expected<T, QString> decode(const QJsonValue &json) { return T::fromJson(json); }
};

template <typename T>
struct JsonCodec<QList<T>>
{
    static QJsonValue encode(const QList<T> &values)
    {
        QJsonArray array;
        for (const T &value : values)
            array.append(JsonCodec<T>::encode(value));
        return array;
    }

    static std::expected<QList<T>, QString> decode(const QJsonValue &json)
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
};

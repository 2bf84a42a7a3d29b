#pragma once

#include "FileLocation.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <expected>
#include <optional>

// Strict reading of one JSON object. Each getter returns the value, or a default after recording
// the first failure; callers read every field, then check ok(). Required getters fail on a missing
// key; optional getters treat a missing key and null alike as absent. A value of the wrong JSON
// type fails either way.
class JsonFields
{
public:
    explicit JsonFields(const QJsonValue &value);

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    void fail(const QString &message);

    QString string(QLatin1StringView key) { return optionalString(key, true).value_or(QString()); }
    double number(QLatin1StringView key) { return optionalNumber(key, true).value_or(0.0); }
    qint64 integer(QLatin1StringView key) { return optionalInteger(key, true).value_or(0); }
    bool boolean(QLatin1StringView key) { return optionalBoolean(key, true).value_or(false); }
    QUuid uuid(QLatin1StringView key) { return optionalUuid(key, true).value_or(QUuid()); }
    QJsonArray array(QLatin1StringView key) { return optionalArray(key, true).value_or(QJsonArray()); }
    FileLocation location(QLatin1StringView key);

    std::optional<QString> optionalString(QLatin1StringView key, bool required = false);
    std::optional<double> optionalNumber(QLatin1StringView key, bool required = false);
    std::optional<qint64> optionalInteger(QLatin1StringView key, bool required = false);
    std::optional<bool> optionalBoolean(QLatin1StringView key, bool required = false);
    std::optional<QUuid> optionalUuid(QLatin1StringView key, bool required = false);
    std::optional<QJsonArray> optionalArray(QLatin1StringView key, bool required = false);

    // Each element through `decode`; the first failing element fails the record.
    template <typename T, typename Decode>
    QList<T> list(QLatin1StringView key, Decode decode)
    {
        return elements<T>(key, array(key), decode);
    }
    template <typename T, typename Decode>
    std::optional<QList<T>> optionalList(QLatin1StringView key, Decode decode)
    {
        const std::optional<QJsonArray> values = optionalArray(key);
        if (!values)
            return std::nullopt;
        return elements<T>(key, *values, decode);
    }

private:
    // The value at the key, or nothing for a missing key or null; records a failure when the key
    // is required and missing.
    std::optional<QJsonValue> lookup(QLatin1StringView key, bool required);
    void typeMismatch(QLatin1StringView key, const char *expected);
    template <typename T, typename Convert>
    std::optional<T> read(QLatin1StringView key, bool required, const char *expected, Convert convert);

    template <typename T, typename Decode>
    QList<T> elements(QLatin1StringView key, const QJsonArray &values, Decode decode)
    {
        QList<T> result;
        result.reserve(values.size());
        for (const QJsonValue &value : values) {
            std::expected<T, QString> element = decode(value);
            if (!element) {
                fail(QString(QLatin1String(key)) + QStringLiteral(": ") + element.error());
                return {};
            }
            result.append(std::move(*element));
        }
        return result;
    }

    QJsonObject m_object;
    QString m_error;
};

namespace Json {

// Upper-case hyphenated 36-character text, as every stored file writes identifiers.
QString uuidText(const QUuid &uuid);
QByteArray uuidBytes(const QUuid &uuid);
// Only the 36-character hyphenated form, in either case.
std::optional<QUuid> parseUuid(QStringView text);
std::optional<QUuid> parseUuid(QLatin1StringView text);
std::expected<QUuid, QString> decodeUuid(const QJsonValue &value);
std::expected<FileLocation, QString> decodeLocation(const QJsonValue &value);
QJsonArray uuidArray(const QList<QUuid> &uuids);

} // namespace Json

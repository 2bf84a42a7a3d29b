#include "JsonFields.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

std::optional<qint64> integral(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Integers beyond 2^53 arrive exactly through toInteger; fractions and out-of-range values fail.
    const qint64 whole = value.toInteger(std::numeric_limits<qint64>::min());
    if (whole == std::numeric_limits<qint64>::min() && number != -9223372036854775808.0)
        return std::nullopt;
    return whole;
}

} // namespace

JsonFields::JsonFields(const QJsonValue &value)
{
    if (value.isObject())
        m_object = value.toObject();
    else
        m_error = QStringLiteral("expected an object");
}

void JsonFields::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
}

std::optional<QJsonValue> JsonFields::lookup(QLatin1StringView key, bool required)
{
    const auto found = m_object.constFind(key);
    if (found == m_object.constEnd() || found->isNull()) {
        if (required)
            fail(QString(QLatin1String(key)) + QLatin1String(found == m_object.constEnd() ? ": missing" : ": null"));
        return std::nullopt;
    }
    return *found;
}

void JsonFields::typeMismatch(QLatin1StringView key, const char *expected)
{
    fail(QString(QLatin1String(key)) + QStringLiteral(": expected ") + QLatin1String(expected));
}

template <typename T, typename Convert>
std::optional<T> JsonFields::read(QLatin1StringView key, bool required, const char *expected, Convert convert)
{
    const auto value = lookup(key, required);
    if (!value)
        return std::nullopt;
    std::optional<T> converted = convert(*value);
    if (!converted)
        typeMismatch(key, expected);
    return converted;
}

std::optional<QString> JsonFields::optionalString(QLatin1StringView key, bool required)
{
    return read<QString>(key, required, "a string", [](const QJsonValue &value) {
        return value.isString() ? std::optional(value.toString()) : std::nullopt;
    });
}

std::optional<double> JsonFields::optionalNumber(QLatin1StringView key, bool required)
{
    return read<double>(key, required, "a number", [](const QJsonValue &value) {
        return value.isDouble() ? std::optional(value.toDouble()) : std::nullopt;
    });
}

std::optional<qint64> JsonFields::optionalInteger(QLatin1StringView key, bool required)
{
    return read<qint64>(key, required, "an integer", integral);
}

std::optional<bool> JsonFields::optionalBoolean(QLatin1StringView key, bool required)
{
    return read<bool>(key, required, "a boolean", [](const QJsonValue &value) {
        return value.isBool() ? std::optional(value.toBool()) : std::nullopt;
    });
}

std::optional<QJsonArray> JsonFields::optionalArray(QLatin1StringView key, bool required)
{
    return read<QJsonArray>(key, required, "an array", [](const QJsonValue &value) {
        return value.isArray() ? std::optional(value.toArray()) : std::nullopt;
    });
}

std::optional<QUuid> JsonFields::optionalUuid(QLatin1StringView key, bool required)
{
    const auto value = lookup(key, required);
    if (!value)
        return std::nullopt;
    auto uuid = Json::decodeUuid(*value);
    if (!uuid) {
        fail(QString(QLatin1String(key)) + QStringLiteral(": ") + uuid.error());
        return std::nullopt;
    }
    return *uuid;
}

FileLocation JsonFields::location(QLatin1StringView key)
{
    const auto value = lookup(key, true);
    if (!value)
        return {};
    auto location = Json::decodeLocation(*value);
    if (!location) {
        fail(QString(QLatin1String(key)) + QStringLiteral(": ") + location.error());
        return {};
    }
    return *location;
}

namespace Json {

QString uuidText(const QUuid &uuid)
{
    return QString::fromLatin1(uuidBytes(uuid));
}

QByteArray uuidBytes(const QUuid &uuid)
{
    return uuid.toByteArray(QUuid::WithoutBraces).toUpper();
}

namespace {

int hexDigit(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// Decoded here rather than by QUuid::fromString, which would parse the text a second time after
// the check: a library holds a hundred thousand identifiers.
template <typename View>
std::optional<QUuid> parseHyphenatedUuid(View text)
{
    if (text.size() != 36 || text[8] != u'-' || text[13] != u'-' || text[18] != u'-' || text[23] != u'-')
        return std::nullopt;
    static constexpr int byteStarts[16] = { 0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34 };
    std::array<char, 16> bytes;
    for (int i = 0; i < 16; ++i) {
        const int high = hexDigit(QChar(text[byteStarts[i]]).unicode());
        const int low = hexDigit(QChar(text[byteStarts[i] + 1]).unicode());
        if ((high | low) < 0)
            return std::nullopt;
        bytes[i] = char(high << 4 | low);
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), bytes.size()));
}

} // namespace

std::optional<QUuid> parseUuid(QStringView text)
{
    return parseHyphenatedUuid(text);
}

std::optional<QUuid> parseUuid(QLatin1StringView text)
{
    return parseHyphenatedUuid(text);
}

std::expected<QUuid, QString> decodeUuid(const QJsonValue &value)
{
    if (!value.isString())
        return std::unexpected(QStringLiteral("expected a UUID string"));
    const auto uuid = parseUuid(value.toString());
    if (!uuid)
        return std::unexpected(QStringLiteral("not a UUID: ") + value.toString());
    return *uuid;
}

std::expected<FileLocation, QString> decodeLocation(const QJsonValue &value)
{
    if (!value.isString())
        return std::unexpected(QStringLiteral("expected a URL string"));
    const auto location = FileLocation::fromUrlText(value.toString());
    if (!location)
        return std::unexpected(QStringLiteral("not a file URL: ") + value.toString());
    return *location;
}

QJsonArray uuidArray(const QList<QUuid> &uuids)
{
    QJsonArray array;
    for (const QUuid &uuid : uuids)
        array.append(uuidText(uuid));
    return array;
}

} // namespace Json

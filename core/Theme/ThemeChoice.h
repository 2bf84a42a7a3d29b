#pragma once

#include "Localization.h"

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringView>

#include <expected>
#include <optional>
#include <span>

// One case of a theme choice: its value, the raw name it is stored by and its Chinese display name.
template <typename Choice> struct ThemeChoiceCase
{
    Choice value;
    const char16_t *rawValue;
    const char *displayKey;
};

// What ThemePreset and ThemeMode share. A choice lists its cases in a static cases() table, in
// declaration order; it is stored by raw name and shown by display name.
template <typename Choice> class ThemeChoice
{
public:
    // Exact, case-sensitive match of the raw name.
    static std::optional<Choice> fromRawValue(QStringView raw)
    {
        for (const auto &entry : Choice::cases()) {
            if (raw == QStringView(entry.rawValue))
                return entry.value;
        }
        return std::nullopt;
    }

    static QList<Choice> allCases()
    {
        QList<Choice> values;
        for (const auto &entry : Choice::cases())
            values.append(entry.value);
        return values;
    }

    QString rawValue() const { return QString::fromUtf16(entry().rawValue); }
    QString displayName() const { return L(entry().displayKey); }

    QJsonValue toJson() const { return rawValue(); }

    // Hashed by raw name; an exact match, so it wins over the conversion to the enumeration.
    friend size_t qHash(const Choice &choice, size_t seed = 0) { return qHash(choice.rawValue(), seed); }

    static std::expected<Choice, QString> fromJson(const QJsonValue &json)
    {
        if (!json.isString())
            return std::unexpected(QStringLiteral("expected a string"));
        if (const std::optional<Choice> value = fromRawValue(json.toString()))
            return *value;
        return std::unexpected(QStringLiteral("unknown name \"%1\"").arg(json.toString()));
    }

private:
    const ThemeChoiceCase<Choice> &entry() const
    {
        const auto &self = static_cast<const Choice &>(*this);
        const std::span<const ThemeChoiceCase<Choice>> cases = Choice::cases();
        for (const auto &entry : cases) {
            if (entry.value == self)
                return entry;
        }
        return cases.front();
    }
};

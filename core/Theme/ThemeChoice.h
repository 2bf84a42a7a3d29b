#pragma once

#include "Localization.h"

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringView>

#include <expected>
#include <optional>
#include <span>

// What ThemePreset and ThemeMode share: a fixed list of cases, each stored by its raw name and
// shown by its Chinese display name.
template <typename Choice>
struct ThemeChoiceCase
{
    Choice value;
    const char16_t *rawValue;
    const char *displayKey;
};

namespace ThemeChoice {

template <typename Choice>
QList<Choice> allCases(std::span<const ThemeChoiceCase<Choice>> cases)
{
    QList<Choice> values;
    for (const auto &entry : cases)
        values.append(entry.value);
    return values;
}

// Exact, case-sensitive match of the raw name.
template <typename Choice>
std::optional<Choice> fromRawValue(std::span<const ThemeChoiceCase<Choice>> cases, QStringView raw)
{
    for (const auto &entry : cases) {
        if (raw == QStringView(entry.rawValue))
            return entry.value;
    }
    return std::nullopt;
}

template <typename Choice>
const ThemeChoiceCase<Choice> &entry(std::span<const ThemeChoiceCase<Choice>> cases, Choice value)
{
    for (const auto &entry : cases) {
        if (entry.value == value)
            return entry;
    }
    return cases.front();
}

template <typename Choice>
QString rawValue(std::span<const ThemeChoiceCase<Choice>> cases, Choice value)
{
    return QString::fromUtf16(entry(cases, value).rawValue);
}

template <typename Choice>
QString displayName(std::span<const ThemeChoiceCase<Choice>> cases, Choice value)
{
    return L(entry(cases, value).displayKey);
}

template <typename Choice>
std::expected<Choice, QString> fromJson(std::span<const ThemeChoiceCase<Choice>> cases,
                                        const QJsonValue &json)
{
    if (!json.isString())
        return std::unexpected(QStringLiteral("expected a string"));
    if (const auto value = fromRawValue(cases, json.toString()))
        return *value;
    return std::unexpected(QStringLiteral("unknown name \"%1\"").arg(json.toString()));
}

} // namespace ThemeChoice

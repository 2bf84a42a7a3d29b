#include "ThemePreset.h"

#include "ThemeChoice.h"

#include <QHashFunctions>

namespace {

constexpr ThemeChoiceCase<ThemePreset> presetCases[] = {
    {ThemePreset::celadon, u"celadon", QT_TRANSLATE_NOOP("Quillmere", "青瓷")},
    {ThemePreset::deepBlue, u"deepBlue", QT_TRANSLATE_NOOP("Quillmere", "深空蓝")},
    {ThemePreset::morning, u"morning", QT_TRANSLATE_NOOP("Quillmere", "晨光橙")},
    {ThemePreset::inkAmber, u"inkAmber", QT_TRANSLATE_NOOP("Quillmere", "墨黑琥珀")},
    {ThemePreset::berry, u"berry", QT_TRANSLATE_NOOP("Quillmere", "莓紫")},
    {ThemePreset::seaSalt, u"seaSalt", QT_TRANSLATE_NOOP("Quillmere", "海盐")},
};

} // namespace

std::optional<ThemePreset> ThemePreset::fromRawValue(QStringView raw)
{
    return ThemeChoice::fromRawValue<ThemePreset>(presetCases, raw);
}

QList<ThemePreset> ThemePreset::allCases()
{
    return ThemeChoice::allCases<ThemePreset>(presetCases);
}

QString ThemePreset::rawValue() const
{
    return ThemeChoice::rawValue<ThemePreset>(presetCases, *this);
}

QString ThemePreset::displayName() const
{
    return ThemeChoice::displayName<ThemePreset>(presetCases, *this);
}

QJsonValue ThemePreset::toJson() const
{
    return rawValue();
}

std::expected<ThemePreset, QString> ThemePreset::fromJson(const QJsonValue &json)
{
    return ThemeChoice::fromJson<ThemePreset>(presetCases, json);
}

size_t qHash(ThemePreset preset, size_t seed)
{
    return qHash(preset.rawValue(), seed);
}

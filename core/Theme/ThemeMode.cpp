#include "ThemeMode.h"

#include "ThemeChoice.h"

#include <QHashFunctions>

namespace {

constexpr ThemeChoiceCase<ThemeMode> modeCases[] = {
    {ThemeMode::system, u"system", QT_TRANSLATE_NOOP("Quillmere", "跟随系统")},
    {ThemeMode::light, u"light", QT_TRANSLATE_NOOP("Quillmere", "浅色")},
    {ThemeMode::dark, u"dark", QT_TRANSLATE_NOOP("Quillmere", "深色")},
};

} // namespace

std::optional<ThemeMode> ThemeMode::fromRawValue(QStringView raw)
{
    return ThemeChoice::fromRawValue<ThemeMode>(modeCases, raw);
}

QList<ThemeMode> ThemeMode::allCases()
{
    return ThemeChoice::allCases<ThemeMode>(modeCases);
}

QString ThemeMode::rawValue() const
{
    return ThemeChoice::rawValue<ThemeMode>(modeCases, *this);
}

QString ThemeMode::displayName() const
{
    return ThemeChoice::displayName<ThemeMode>(modeCases, *this);
}

QJsonValue ThemeMode::toJson() const
{
    return rawValue();
}

std::expected<ThemeMode, QString> ThemeMode::fromJson(const QJsonValue &json)
{
    return ThemeChoice::fromJson<ThemeMode>(modeCases, json);
}

size_t qHash(ThemeMode mode, size_t seed)
{
    return qHash(mode.rawValue(), seed);
}

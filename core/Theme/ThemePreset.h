#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringView>

#include <expected>
#include <optional>

// The colour theme the user picked; stored in the settings by its raw name.
class ThemePreset
{
public:
    // Declaration order is the order of the swatches in the settings.
    enum Value : quint8 { celadon, deepBlue, morning, inkAmber, berry, seaSalt };

    constexpr ThemePreset(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    static std::optional<ThemePreset> fromRawValue(QStringView raw);
    static QList<ThemePreset> allCases();

    QString rawValue() const;
    QString displayName() const;

    QJsonValue toJson() const;
    static std::expected<ThemePreset, QString> fromJson(const QJsonValue &json);

private:
    Value m_value;
};

size_t qHash(ThemePreset preset, size_t seed = 0);

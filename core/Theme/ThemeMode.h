#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringView>

#include <expected>
#include <optional>

// Whether the interface is light, dark or follows the system; stored in the settings by its raw name.
class ThemeMode
{
public:
    // Declaration order is the order of the settings picker.
    enum Value : quint8 { system, light, dark };

    constexpr ThemeMode(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    static std::optional<ThemeMode> fromRawValue(QStringView raw);
    static QList<ThemeMode> allCases();

    QString rawValue() const;
    QString displayName() const;

    QJsonValue toJson() const;
    static std::expected<ThemeMode, QString> fromJson(const QJsonValue &json);

private:
    Value m_value;
};

size_t qHash(ThemeMode mode, size_t seed = 0);

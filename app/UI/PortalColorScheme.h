#pragma once

#include "SystemColorScheme.h"

#include <QDBusConnection>
#include <QDBusVariant>

#include <optional>

// Reads the desktop's colour-scheme preference from the freedesktop settings portal and follows
// its changes. Without a portal, or when the desktop states no preference, the application
// palette's lightness decides.
class PortalColorScheme : public SystemColorScheme
{
    Q_OBJECT

public:
    explicit PortalColorScheme(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    bool isDark() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void requestPreference();
    void setPreference(std::optional<uint> preference);
    void publishIfChanged();

    QDBusConnection m_bus;
    // The portal's value: 0 no preference, 1 dark, 2 light.
    std::optional<uint> m_preference;
    bool m_isDark = false;
};

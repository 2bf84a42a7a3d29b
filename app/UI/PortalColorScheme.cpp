#include "PortalColorScheme.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPalette>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

constexpr uint prefersDark = 1;
constexpr uint prefersLight = 2;

// Older portals wrap the answer of Read in a second variant.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

std::optional<uint> preferenceFrom(const QVariant &value)
{
    const QVariant plain = unwrapped(value);
    bool ok = false;
    const uint preference = plain.toUInt(&ok);
    return ok ? std::optional<uint>(preference) : std::nullopt;
}

bool paletteLooksDark()
{
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

} // namespace

PortalColorScheme::PortalColorScheme(QDBusConnection bus, QObject *parent)
    : SystemColorScheme(parent)
    , m_bus(std::move(bus))
{
    m_isDark = isDark();
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
    if (!m_bus.isConnected())
        return;
    // The slot is matched by its signature's type names, which must be known by then.
    qRegisterMetaType<QDBusVariant>();
    m_bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
        SLOT(settingChanged(QString, QString, QDBusVariant)));
    requestPreference();
}

bool PortalColorScheme::isDark() const
{
    if (m_preference == prefersDark)
        return true;
    if (m_preference == prefersLight)
        return false;
    return paletteLooksDark();
}

bool PortalColorScheme::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange)
        publishIfChanged();
    return SystemColorScheme::eventFilter(watched, event);
}

void PortalColorScheme::settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group == appearanceGroup && key == colorSchemeKey)
        setPreference(preferenceFrom(value.variant()));
}

void PortalColorScheme::requestPreference()
{
    // Asynchronous: a slow or absent portal must not hold up the first window.
    QDBusMessage call = QDBusMessage::createMethodCall(
        portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    call << appearanceGroup << colorSchemeKey;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        finished->deleteLater();
        if (!reply.isError())
            setPreference(preferenceFrom(reply.argumentAt(0)));
    });
}

void PortalColorScheme::setPreference(std::optional<uint> preference)
{
    m_preference = preference;
    publishIfChanged();
}

void PortalColorScheme::publishIfChanged()
{
    const bool dark = isDark();
    if (dark == m_isDark)
        return;
    m_isDark = dark;
    emit isDarkChanged(dark);
}

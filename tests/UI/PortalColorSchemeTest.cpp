#include "UI/PortalColorScheme.h"

#include <QApplication>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QPalette>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A settings portal on its own bus connection, answering like xdg-desktop-portal does
// (the value of Read wrapped in a second variant).
class FakeSettingsPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    explicit FakeSettingsPortal(uint colorScheme)
        : m_colorScheme(colorScheme)
    {
    }

    void change(const QString &group, const QString &key, uint value)
    {
        if (key == QLatin1String("color-scheme"))
            m_colorScheme = value;
        emit SettingChanged(group, key, QDBusVariant(value));
    }

public slots:
    QDBusVariant Read(const QString &group, const QString &key)
    {
        if (group != QLatin1String("org.freedesktop.appearance") || key != QLatin1String("color-scheme")) {
            sendErrorReply(
                QStringLiteral("org.freedesktop.portal.Error.NotFound"), QStringLiteral("no such key"));
            return {};
        }
        return QDBusVariant(QVariant::fromValue(QDBusVariant(m_colorScheme)));
    }

signals:
    void SettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    uint m_colorScheme;
};

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");

QPalette paletteWithWindow(QColor window, QColor text)
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    return palette;
}

// A bus daemon of the test's own, so that parallel tests never meet on one bus and no real
// portal can be started on demand.
class PrivateBus
{
public:
    PrivateBus()
    {
        const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:tmpdir=%1</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\">"
                                  "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
                       .arg(m_folder.path())
                       .toUtf8());
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                QStringLiteral("--print-address") });
        while (m_address.isEmpty() && m_daemon.waitForReadyRead(5000)) {
            if (m_daemon.canReadLine())
                m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        }
    }

    ~PrivateBus()
    {
        for (const QString &name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QDBusConnection connect(const QString &name)
    {
        m_connections.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

    bool isRunning() const { return !m_address.isEmpty(); }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};

class PortalColorSchemeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.isRunning());
        m_originalPalette = QApplication::palette();
        QApplication::setPalette(paletteWithWindow(QColor(0xF0F0F0), Qt::black));
    }

    void TearDown() override { QApplication::setPalette(m_originalPalette); }

    FakeSettingsPortal &startPortal(uint value)
    {
        QDBusConnection portalBus = m_bus.connect(QStringLiteral("portal"));
        m_portal = std::make_unique<FakeSettingsPortal>(value);
        EXPECT_TRUE(portalBus.registerObject(
            portalPath, m_portal.get(), QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        EXPECT_TRUE(portalBus.registerService(portalService));
        return *m_portal;
    }

    QDBusConnection clientBus() { return m_bus.connect(QStringLiteral("client")); }

    PrivateBus m_bus;
    std::unique_ptr<FakeSettingsPortal> m_portal;
    QPalette m_originalPalette;
};

} // namespace

TEST_F(PortalColorSchemeTest, ReadsThePortalsPreferenceAndFollowsItsChanges)
{
    FakeSettingsPortal &portal = startPortal(1);
    PortalColorScheme scheme(clientBus());
    QSignalSpy changed(&scheme, &SystemColorScheme::isDarkChanged);
    EXPECT_FALSE(scheme.isDark()); // the light palette decides until the portal answers
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_TRUE(scheme.isDark());
    EXPECT_EQ(changed.takeFirst().at(0).toBool(), true);

    portal.change(appearance, colorScheme, 2);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_FALSE(scheme.isDark());

    // Other settings leave the scheme alone.
    portal.change(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme"), 1);
    portal.change(appearance, QStringLiteral("accent-color"), 1);
    EXPECT_FALSE(changed.wait(300));
    EXPECT_FALSE(scheme.isDark());

    // No preference leaves it to the (light) palette.
    portal.change(appearance, colorScheme, 1);
    ASSERT_TRUE(changed.wait(5000));
    portal.change(appearance, colorScheme, 0);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_FALSE(scheme.isDark());
}

TEST_F(PortalColorSchemeTest, WithoutAPortalOrABusThePalettesLightnessDecides)
{
    PortalColorScheme scheme(clientBus());
    QSignalSpy changed(&scheme, &SystemColorScheme::isDarkChanged);
    EXPECT_FALSE(scheme.isDark());

    QApplication::setPalette(paletteWithWindow(QColor(0x202020), QColor(0xE0E0E0)));
    EXPECT_TRUE(scheme.isDark());
    ASSERT_EQ(changed.size(), 1);
    EXPECT_TRUE(changed.takeFirst().at(0).toBool());
    // The failed portal call must not change anything later.
    EXPECT_FALSE(changed.wait(300));
    EXPECT_TRUE(scheme.isDark());

    EXPECT_TRUE(PortalColorScheme(QDBusConnection(QStringLiteral("not connected"))).isDark());
}

#include "PortalColorSchemeTest.moc"

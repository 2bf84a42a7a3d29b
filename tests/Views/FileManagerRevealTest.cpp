#include "Views/FileManagerReveal.h"

#include <QDBusConnection>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

// A file manager on the test's own session bus that records what it was asked to show.
class RecordingFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;
    QString startupId = QStringLiteral("unset");

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId)
    {
        shown += uris;
        this->startupId = startupId;
    }
};

TEST(FileManagerRevealTest, AsksTheFileManagerOnTheSessionBusToShowTheFile)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    RecordingFileManager manager;
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
        QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    const FileLocation file = FileLocation::fromPath(QByteArray("/music/\xe6\x99\xb4\xe5\xa4\xa9 #1.mp3"));
    FileManagerReveal::reveal(file);
    QElapsedTimer clock;
    clock.start();
    while (manager.shown.isEmpty() && !clock.hasExpired(2000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(manager.shown, QStringList{file.urlText()});
    EXPECT_EQ(manager.startupId, QString());

    bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
}

} // namespace

#include "FileManagerRevealTest.moc"

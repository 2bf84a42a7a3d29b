#include "FileManagerReveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

namespace FileManagerReveal {

void reveal(const FileLocation &file)
{
    const QUrl folder = QUrl::fromLocalFile(file.deletingLastPathComponent().displayPath());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList{file.urlText()} << QString();
    // Asked without waiting: a file manager that has to start first must not hold up the sheet.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [folder](QDBusPendingCallWatcher *finished) {
        if (QDBusPendingReply<>(*finished).isError())
            QDesktopServices::openUrl(folder);
        finished->deleteLater();
    });
}

} // namespace FileManagerReveal

#include "OffscreenScreens.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

bool useOffscreenScreens(const char *name, const char *screensJson)
{
    const QString path = QDir::temp().filePath(
        QStringLiteral("quillmere-%1-%2.json").arg(QString::fromUtf8(name)).arg(getpid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArrayLiteral(R"({"screens": )") + screensJson + '}');
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + path.toLocal8Bit());
    return true;
}

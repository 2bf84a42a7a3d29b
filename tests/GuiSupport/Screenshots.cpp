#include "Screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QPixmap>
#include <QWidget>

namespace Screenshots {

QString folder()
{
    return QStringLiteral(QUILLMERE_SCREENSHOT_DIR);
}

QString save(QWidget &widget, const QString &name)
{
    QDir().mkpath(folder());
    const QString path = folder() + QLatin1Char('/') + name + QStringLiteral(".png");
    // A widget shown or hidden just now has its room only once the layouts have run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    widget.grab().save(path);
    return path;
}

} // namespace Screenshots

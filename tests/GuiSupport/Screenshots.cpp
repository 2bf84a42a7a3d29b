#include "Screenshots.h"

#include <QDir>
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
    widget.grab().save(path);
    return path;
}

} // namespace Screenshots

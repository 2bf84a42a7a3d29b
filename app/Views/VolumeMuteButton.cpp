#include "VolumeMuteButton.h"

#include "Localization.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

VolumeMuteButton::VolumeMuteButton(QWidget *parent) : QAbstractButton(parent)
{
    setFixedSize(24, 24);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setShowsMuted(false);
}

void VolumeMuteButton::setShowsMuted(bool muted)
{
    m_muted = muted;
    const QString help = muted ? L("取消静音") : L("静音");
    setToolTip(help);
    setAccessibleName(help);
    update();
}

void VolumeMuteButton::paintEvent(QPaintEvent *)
{
    QColor colour = ThemeEnvironment::theme(this).text;
    colour.setAlphaF(0.82f);
    const Icons::Symbol symbol = m_muted ? Icons::speakerSlash : Icons::speakerWave3;
    const QImage image = Icons::tinted(symbol(14, QFont::Normal, devicePixelRatioF()), colour);
    const QSizeF size = image.deviceIndependentSize();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), image);
}

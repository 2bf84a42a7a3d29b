#include "PlayPauseButton.h"

#include "Localization.h"
#include "UI/Icons.h"
#include "UI/SoftGlow.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

namespace {

// A blurred copy of the circle, as a drop shadow. The design's shadow radius is read as twice
// the blur's deviation.
void drawShadow(QPainter &painter, QPointF centre, QColor colour, qreal radius, qreal drop)
{
    const qreal deviation = radius / 2;
    const qreal extent = SoftGlow::extent(PlayPauseButton::diameter, deviation);
    const QPointF shifted = centre + QPointF(0, drop);
    painter.drawImage(QRectF(shifted - QPointF(extent, extent), QSizeF(2 * extent, 2 * extent)),
        SoftGlow::image(PlayPauseButton::diameter, deviation, colour));
}

} // namespace

PlayPauseButton::PlayPauseButton(QWidget *parent) : QAbstractButton(parent)
{
    setFixedSize(diameter + 2 * shadowMargin, diameter + 2 * shadowMargin);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setShowsPause(false);
}

void PlayPauseButton::setShowsPause(bool showsPause)
{
    m_showsPause = showsPause;
    const QString help = showsPause ? L("暂停") : L("播放");
    setToolTip(help);
    setAccessibleName(help);
    update();
}

bool PlayPauseButton::hitButton(const QPoint &position) const
{
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    return offset.x() * offset.x() + offset.y() * offset.y() <= diameter * diameter / 4.0;
}

void PlayPauseButton::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const QPointF centre = QRectF(rect()).center();
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    drawShadow(painter, centre, ThemePalette::withAlpha(palette.accent, 0.35), 8, 3);
    drawShadow(painter, centre, QColor(0, 0, 0, qRound(0.22 * 255)), 4, 2);

    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.accent);
    painter.drawEllipse(centre, diameter / 2.0, diameter / 2.0);

    const Icons::Symbol symbol = m_showsPause ? Icons::pause : Icons::play;
    const QImage image = Icons::tinted(symbol(Icons::pointSize, QFont::Normal, devicePixelRatioF()), palette.onAccent);
    const QSizeF size = image.deviceIndependentSize();
    painter.drawImage(centre - QPointF(size.width() / 2, size.height() / 2), image);
}

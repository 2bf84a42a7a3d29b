#include "SettingSwitch.h"

#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

namespace {

constexpr QSize trackSize{26, 15};
constexpr int titleSpacing = 8;

} // namespace

SettingSwitch::SettingSwitch(const QString &title, QWidget *parent)
    : QCheckBox(title, parent)
{
    setFont(Fonts::system(11.5));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize SettingSwitch::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(trackSize.width() + titleSpacing + metrics.horizontalAdvance(text()) + 2,
        std::max(trackSize.height() + 4, metrics.height() + 2));
}

bool SettingSwitch::hitButton(const QPoint &position) const
{
    return rect().contains(position);
}

void SettingSwitch::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const qreal opacity = isEnabled() ? 1.0 : 0.4;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);

    const QRectF track(0.5, (height() - trackSize.height()) / 2.0, trackSize.width(), trackSize.height());
    const qreal radius = track.height() / 2;
    QColor off = palette.text;
    off.setAlphaF(palette.tokens.isDark ? 0.22f : 0.16f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? palette.accent : off);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobInset = 1.5;
    const qreal knobSize = track.height() - 2 * knobInset;
    const qreal knobX = isChecked() ? track.right() - knobInset - knobSize : track.left() + knobInset;
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.drawEllipse(QRectF(knobX, track.top() + knobInset, knobSize, knobSize));

    QColor title = palette.text;
    title.setAlphaF(0.82f);
    painter.setPen(title);
    painter.setFont(font());
    painter.drawText(QRect(trackSize.width() + titleSpacing, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

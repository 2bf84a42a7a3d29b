#include "SortButton.h"

#include "TrackListSymbols.h"

#include "Localization.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int chevronSide = 7;
constexpr int labelSpacing = 3;

} // namespace

SortButton::SortButton(const QString &title, TrackSort column, Qt::Alignment alignment, QWidget *parent)
    : QAbstractButton(parent), m_column(column), m_alignment(alignment)
{
    setText(title);
    setToolTip(Lf("按%@排序", title).toHtmlEscaped());
    setAccessibleName(title);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(22);
}

void SortButton::setState(bool active, bool ascending)
{
    if (active == m_active && ascending == m_ascending)
        return;
    m_active = active;
    m_ascending = ascending;
    update();
}

void SortButton::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const QFont font = Fonts::system(10.5, m_active ? QFont::DemiBold : QFont::Normal);
    const QFontMetricsF metrics(font);
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal labelWidth = textWidth + (m_active ? labelSpacing + chevronSide : 0);
    // The label sits in the column's own rectangle, inside the room kept for the background.
    const QRectF column = QRectF(rect()).adjusted(backgroundOutset, 0, -backgroundOutset, 0);
    const qreal left = m_alignment.testFlag(Qt::AlignRight) ? column.right() - labelWidth : column.left();
    const QRectF label(left, 0, labelWidth, height());

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour;
    if (m_active) {
        QPainterPath capsule;
        capsule.addRoundedRect(label.adjusted(-backgroundOutset, 0, backgroundOutset, 0), 5, 5);
        QColor fill = palette.accent;
        fill.setAlphaF(float(fill.alphaF() * 0.14));
        painter.fillPath(capsule, fill);
        colour = palette.accentLight;
    } else {
        colour = palette.text;
        colour.setAlphaF(float(colour.alphaF() * (palette.tokens.isDark ? 0.45 : 0.62)));
    }
    if (isDown())
        colour.setAlphaF(colour.alphaF() * 0.7f);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRectF(label.left(), 0, textWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (m_active) {
        const QImage chevron = Icons::tinted(
            TrackListSymbols::chevron(m_ascending, chevronSide, QFont::DemiBold, devicePixelRatioF()), colour);
        painter.drawImage(QRectF(label.right() - chevronSide, (height() - chevronSide) / 2.0, chevronSide, chevronSide),
                          chevron);
    }
}

#include "LyricsOriginBadge.h"

#include "Localization.h"
#include "LyricsPageSymbols.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr int badgeHeight = 20;
constexpr qreal padding = 8;
constexpr qreal symbolSize = 9;
constexpr qreal spacing = 4;

QFont badgeFont()
{
    return Fonts::system(10, QFont::Medium);
}

} // namespace

LyricsOriginBadge::LyricsOriginBadge(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedHeight(badgeHeight);
}

void LyricsOriginBadge::setLabel(const QString &label)
{
    m_label = label;
    setAccessibleName(Lf("歌词来源：%@", label));
    updateGeometry();
    update();
}

QSize LyricsOriginBadge::sizeHint() const
{
    const qreal width = 2 * padding + symbolSize + spacing + QFontMetricsF(badgeFont()).horizontalAdvance(m_label);
    return QSize(int(std::ceil(width)), badgeHeight);
}

void LyricsOriginBadge::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    const qreal radius = bounds.height() / 2;
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, radius, radius);
    painter.fillPath(capsule, ThemePalette::withOpacity(theme.accent, 0.16));
    painter.setPen(QPen(ThemePalette::withOpacity(theme.accent, 0.28), 0.5));
    painter.drawRoundedRect(bounds.adjusted(0.25, 0.25, -0.25, -0.25), radius - 0.25, radius - 0.25);

    const QImage symbol = Icons::tinted(
        LyricsPageSymbols::image(LyricsPageSymbols::Symbol::waveform, symbolSize, QFont::Normal, devicePixelRatioF()),
        theme.accentLight);
    painter.drawImage(QRectF(padding, (bounds.height() - symbolSize) / 2, symbolSize, symbolSize), symbol);
    painter.setFont(badgeFont());
    painter.setPen(theme.accentLight);
    painter.drawText(bounds.adjusted(padding + symbolSize + spacing, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, m_label);
}

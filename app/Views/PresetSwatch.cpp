#include "PresetSwatch.h"

#include "Theme/ThemeCatalog.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"
#include "UI/ThemePalette.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int tileHeight = 26;
constexpr int nameSpacing = 4;
constexpr qreal cornerRadius = 7;

QFont nameFont(bool selected)
{
    return Fonts::system(9.5, selected ? QFont::DemiBold : QFont::Normal);
}

} // namespace

PresetSwatch::PresetSwatch(ThemePreset preset, QWidget *parent)
    : QAbstractButton(parent)
    , m_preset(preset)
{
    setToolTip(preset.displayName().toHtmlEscaped());
    setAccessibleName(preset.displayName());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PresetSwatch::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

QSize PresetSwatch::sizeHint() const
{
    return QSize(60, tileHeight + nameSpacing + QFontMetrics(nameFont(true)).height());
}

QSize PresetSwatch::minimumSizeHint() const
{
    return QSize(24, sizeHint().height());
}

void PresetSwatch::paintEvent(QPaintEvent *)
{
    const ThemePalette sheet = ThemeEnvironment::theme(this);
    const ThemePalette own(m_preset, ThemeCatalog::tokens(m_preset, sheet.tokens.isDark, std::nullopt));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0, 0, width(), tileHeight);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, own.backgroundMiddle);
    fill.setColorAt(1, own.accent);
    QPainterPath shape;
    shape.addRoundedRect(tile, cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);

    // Stroked inside the edge: inset by half the line width.
    const qreal lineWidth = m_selected ? 2 : 1;
    const qreal inset = lineWidth / 2;
    painter.setPen(QPen(m_selected ? sheet.accent : sheet.hairline, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(tile.adjusted(inset, inset, -inset, -inset), cornerRadius - inset, cornerRadius - inset);

    QColor nameColour = sheet.text;
    nameColour.setAlphaF(m_selected ? 1.0f : 0.55f);
    painter.setPen(nameColour);
    painter.setFont(nameFont(m_selected));
    const QRect nameRect(0, tileHeight + nameSpacing, width(), height() - tileHeight - nameSpacing);
    painter.drawText(nameRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
        painter.fontMetrics().elidedText(m_preset.displayName(), Qt::ElideRight, width()));
}

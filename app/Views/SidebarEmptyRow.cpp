#include "SidebarEmptyRow.h"

#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

namespace {

constexpr int sidePadding = 9;
constexpr int verticalPadding = 5;
constexpr int spacing = 8;
constexpr qreal iconPointSize = 12;

QFont messageFont()
{
    return Fonts::system(11.5);
}

} // namespace

SidebarEmptyRow::SidebarEmptyRow(const QString &message, QWidget *parent)
    : QWidget(parent)
    , m_message(message)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    setAccessibleName(message);
}

QSize SidebarEmptyRow::sizeHint() const
{
    const int content = std::max(QFontMetrics(messageFont()).height(), int(iconPointSize));
    return QSize(120, content + 2 * verticalPadding);
}

void SidebarEmptyRow::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const bool dark = palette.tokens.isDark;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage icon = Icons::tinted(Icons::musicNoteList(iconPointSize, QFont::Normal, devicePixelRatioF()),
        ThemePalette::withAlpha(palette.text, dark ? 0.3 : 0.62));
    const QSizeF iconSize = icon.deviceIndependentSize();
    painter.drawImage(QPointF(sidePadding, (height() - iconSize.height()) / 2), icon);
    painter.setFont(messageFont());
    painter.setPen(ThemePalette::withAlpha(palette.text, dark ? 0.35 : 0.62));
    const int textLeft = sidePadding + int(iconSize.width()) + spacing;
    painter.drawText(QRect(textLeft, 0, width() - textLeft - sidePadding, height()), Qt::AlignLeft | Qt::AlignVCenter,
        m_message);
}

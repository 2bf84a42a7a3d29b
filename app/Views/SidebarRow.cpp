#include "SidebarRow.h"

#include "Localization.h"
#include "UI/DragPayloads.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int iconFrame = 16;
constexpr qreal iconPointSize = 12;
constexpr int spacing = 8;
constexpr int minimumSpacer = 4;
constexpr qreal cornerRadius = 7;
constexpr int uuidTextLength = 36;

QFont countFont()
{
    return Fonts::system(10.5);
}

} // namespace

SidebarRow::SidebarRow(Icons::Symbol symbol, const QString &title, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_title(title)
{
    setFixedHeight(rowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(title);
}

void SidebarRow::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    setAccessibleName(title);
    update();
}

void SidebarRow::setCount(int count)
{
    if (count == m_count)
        return;
    m_count = count;
    update();
}

void SidebarRow::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void SidebarRow::setDropTarget(bool dropTarget)
{
    if (dropTarget == m_dropTarget)
        return;
    m_dropTarget = dropTarget;
    update();
}

void SidebarRow::setAcceptsTrackDrops(bool accepts)
{
    setAcceptDrops(accepts);
}

QColor SidebarRow::fillColour() const
{
    const QColor accent = ThemeEnvironment::theme(this).accent;
    if (m_dropTarget)
        return ThemePalette::withAlpha(accent, 0.28);
    return m_selected ? ThemePalette::withAlpha(accent, 0.16) : QColor(Qt::transparent);
}

QColor SidebarRow::titleColour() const
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    return m_selected ? palette.accentLight : ThemePalette::withAlpha(palette.text, 0.64);
}

QFont SidebarRow::titleFont() const
{
    return Fonts::system(12.5, m_selected ? QFont::DemiBold : QFont::Normal);
}

QColor SidebarRow::countColour() const
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const qreal unselected = palette.tokens.isDark ? 0.4 : 0.62;
    return ThemePalette::withAlpha(palette.text, m_selected ? 0.7 : unselected);
}

QString SidebarRow::countText() const
{
    return Lf("%lld", m_count);
}

QList<QUuid> SidebarRow::trackIDs(const QString &text)
{
    QList<QUuid> ids;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.size() != uuidTextLength)
            continue;
        const QUuid id = QUuid::fromString(trimmed);
        if (!id.isNull())
            ids.append(id);
    }
    return ids;
}

QSize SidebarRow::sizeHint() const
{
    return QSize(120, rowHeight);
}

void SidebarRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    const QRectF frame = QRectF(rect());
    QPainterPath shape;
    shape.addRoundedRect(frame, cornerRadius, cornerRadius);
    painter.fillPath(shape, fillColour());
    if (m_dropTarget) {
        QPainterPath inner;
        inner.addRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
        painter.strokePath(inner, QPen(ThemePalette::withAlpha(ThemeEnvironment::theme(this).accent, 0.6), 1));
    }

    const QColor foreground = titleColour();
    const QImage icon = Icons::tinted(m_symbol(iconPointSize, QFont::Normal, devicePixelRatioF()), foreground);
    const QSizeF iconSize = icon.deviceIndependentSize();
    painter.drawImage(QPointF(sidePadding + (iconFrame - iconSize.width()) / 2, (height() - iconSize.height()) / 2), icon);

    int trailing = trailingReserve();
    if (trailing == 0) {
        painter.setFont(countFont());
        painter.setPen(countColour());
        const QString count = countText();
        trailing = QFontMetrics(countFont()).horizontalAdvance(count);
        painter.drawText(QRect(0, 0, width() - sidePadding, height()), Qt::AlignRight | Qt::AlignVCenter, count);
    }

    const int titleLeft = sidePadding + iconFrame + spacing;
    const int titleWidth = std::max(0, width() - sidePadding - trailing - minimumSpacer - titleLeft);
    const QFont font = titleFont();
    painter.setFont(font);
    painter.setPen(foreground);
    painter.drawText(QRect(titleLeft, 0, titleWidth, height()), Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(font).elidedText(m_title, Qt::ElideMiddle, titleWidth));
}

void SidebarRow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DragPayloads::textValue(*event->mimeData()))
        return event->ignore();
    event->acceptProposedAction();
    emit trackDragEntered();
}

void SidebarRow::dragLeaveEvent(QDragLeaveEvent *)
{
    emit trackDragLeft();
}

void SidebarRow::dropEvent(QDropEvent *event)
{
    const QList<QUuid> ids = trackIDs(DragPayloads::textValue(*event->mimeData()).value_or(QString()));
    emit trackDragLeft();
    if (ids.isEmpty())
        return event->ignore();
    event->acceptProposedAction();
    emit tracksDropped(ids);
}

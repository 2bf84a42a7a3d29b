#include "OrganizerPlanRows.h"

#include "Localization.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {

QFont pathFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(qRound(10.5));
    return font;
}

QFont badgeFont() { return Fonts::system(9.5, QFont::Medium); }

const QString arrow = QStringLiteral("→");
constexpr int badgeSpacing = 2;
constexpr int badgeHorizontalPadding = 5;
constexpr int badgeVerticalPadding = 1;
constexpr int arrowSpacing = 5;
constexpr int separatorHeight = 1;
constexpr int emptyNotePadding = 28;

// Tooltips guess at rich text; paths are shown exactly as they are.
QString plainTooltip(const QString &text)
{
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"))
        + QStringLiteral("</p>");
}

int badgeHeight() { return QFontMetrics(badgeFont()).height() + 2 * badgeVerticalPadding; }

} // namespace

OrganizerPlanRows::OrganizerPlanRows(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);
}

void OrganizerPlanRows::setItems(const QList<OrganizePlanItem> &items, bool planned)
{
    m_items = items;
    m_planned = planned;
    layoutRows();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

int OrganizerPlanRows::columnWidth() const
{
    return std::max(0, (viewport()->width() - 2 * horizontalPadding - columnSpacing) / 2);
}

int OrganizerPlanRows::destinationWidth() const
{
    return std::max(0, columnWidth() - QFontMetrics(pathFont()).horizontalAdvance(arrow) - arrowSpacing);
}

QStringList OrganizerPlanRows::lines(const QString &text, int width) const
{
    const QFontMetrics metrics(pathFont());
    if (metrics.horizontalAdvance(text) <= width)
        return {text};
    // The head of the path as far as it fits, then the rest with its middle left out.
    qsizetype head = 0;
    int used = 0;
    while (head < text.size()) {
        const int advance = metrics.horizontalAdvance(text.at(head));
        if (used + advance > width)
            break;
        used += advance;
        ++head;
    }
    head = std::max<qsizetype>(head, 1);
    return {text.left(head), metrics.elidedText(text.mid(head), Qt::ElideMiddle, width)};
}

void OrganizerPlanRows::layoutRows()
{
    // Every row keeps room for two lines per path, so no path is measured before it is shown;
    // a numbered destination adds its badge.
    const int plain = 2 * verticalPadding + 2 * QFontMetrics(pathFont()).height() + separatorHeight;
    const int withBadge = plain + badgeSpacing + badgeHeight();
    m_rowTops.resize(m_items.size() + 1);
    int top = 0;
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        m_rowTops[row] = top;
        top += m_items.at(row).conflictResolved ? withBadge : plain;
    }
    m_rowTops[m_items.size()] = top;
    updateScrollRange();
}

void OrganizerPlanRows::updateScrollRange()
{
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, m_rowTops.value(m_items.size()) - viewport()->height()));
}

void OrganizerPlanRows::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

int OrganizerPlanRows::rowAt(int viewportY) const
{
    const int y = viewportY + verticalScrollBar()->value();
    if (m_items.isEmpty() || y < 0 || y >= m_rowTops.value(m_items.size()))
        return -1;
    const auto after = std::upper_bound(m_rowTops.cbegin(), m_rowTops.cbegin() + m_items.size(), y);
    return int(after - m_rowTops.cbegin()) - 1;
}

QString OrganizerPlanRows::helpText(int row) const
{
    const OrganizePlanItem &item = m_items.at(row);
    return Lf("%@\n→ %@", item.source.displayPath(), item.destination.displayPath());
}

void OrganizerPlanRows::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const ThemePalette palette = ThemeEnvironment::theme(this);
    if (m_items.isEmpty()) {
        if (!m_planned)
            return;
        painter.setFont(Fonts::system(11.5));
        painter.setPen(ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? 0.45 : 0.62));
        const QRect note(0, emptyNotePadding, viewport()->width(), painter.fontMetrics().height());
        painter.drawText(note, Qt::AlignCenter, L("没有需要整理的文件，可能已经在目标位置。"));
        return;
    }
    const int offset = verticalScrollBar()->value();
    const QRect exposed = event->rect();
    for (int row = std::max(0, rowAt(exposed.top())); row >= 0 && row < m_items.size(); ++row) {
        const int top = m_rowTops.at(row) - offset;
        if (top > exposed.bottom())
            break;
        paintRow(painter, row, top);
    }
}

void OrganizerPlanRows::paintRow(QPainter &painter, int row, int top) const
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const OrganizePlanItem &item = m_items.at(row);
    const int bottom = m_rowTops.at(row + 1) - verticalScrollBar()->value();
    const QFont font = pathFont();
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    const int sourceWidth = columnWidth();
    const int textTop = top + verticalPadding;

    painter.setFont(font);
    painter.setPen(ThemePalette::withOpacity(palette.text, 0.6));
    int y = textTop;
    for (const QString &line : lines(item.source.displayPath(), sourceWidth)) {
        painter.drawText(QRect(horizontalPadding, y, sourceWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += lineHeight;
    }

    const int arrowX = horizontalPadding + sourceWidth + columnSpacing;
    const int arrowWidth = metrics.horizontalAdvance(arrow);
    painter.setPen(ThemePalette::withOpacity(palette.accentLight, 0.7));
    painter.drawText(QRect(arrowX, textTop, arrowWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, arrow);

    const int targetX = arrowX + arrowWidth + arrowSpacing;
    const int targetWidth = destinationWidth();
    painter.setPen(ThemePalette::withOpacity(palette.text, 0.9));
    y = textTop;
    for (const QString &line : lines(item.destination.displayPath(), targetWidth)) {
        painter.drawText(QRect(targetX, y, targetWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += lineHeight;
    }

    if (item.conflictResolved) {
        const QFont badge = badgeFont();
        const QString text = L("同名已避让");
        const QRect capsule(targetX, y + badgeSpacing,
                            QFontMetrics(badge).horizontalAdvance(text) + 2 * badgeHorizontalPadding, badgeHeight());
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ThemePalette::withOpacity(palette.warning, 0.14));
        painter.drawRoundedRect(QRectF(capsule), capsule.height() / 2.0, capsule.height() / 2.0);
        painter.restore();
        painter.setFont(badge);
        painter.setPen(palette.warning);
        painter.drawText(capsule, Qt::AlignCenter, text);
    }

    painter.fillRect(QRect(0, bottom - separatorHeight, viewport()->width(), separatorHeight), palette.raisedFill);
}

bool OrganizerPlanRows::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos().y());
        if (row >= 0)
            QToolTip::showText(help->globalPos(), plainTooltip(helpText(row)), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

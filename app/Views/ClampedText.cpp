#include "ClampedText.h"

#include <QPainter>
#include <QTextLayout>

ClampedText::ClampedText(int maximumLines, const QFont &font, QWidget *parent)
    : QWidget(parent), m_maximumLines(maximumLines)
{
    setFont(font);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ClampedText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

void ClampedText::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QStringList ClampedText::lines(const QString &text, const QFont &font, int width, int maximumLines)
{
    if (width <= 0 || maximumLines <= 0)
        return {};
    // Line breaks in the message count as spaces: the banner is a short note, not a document.
    const QString flat = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextLayout layout(flat, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList shown;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (shown.size() == maximumLines - 1) {
            // The last line takes the rest, cut with an ellipsis.
            shown.append(QFontMetrics(font).elidedText(flat.mid(line.textStart()), Qt::ElideRight, width));
            break;
        }
        shown.append(flat.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return shown;
}

int ClampedText::heightForWidth(int width) const
{
    const qsizetype count = qMax<qsizetype>(1, lines(m_text, font(), width, m_maximumLines).size());
    return int(count) * QFontMetrics(font()).lineSpacing();
}

QSize ClampedText::sizeHint() const
{
    return QSize(QFontMetrics(font()).horizontalAdvance(m_text), QFontMetrics(font()).lineSpacing());
}

QSize ClampedText::minimumSizeHint() const
{
    return QSize(0, QFontMetrics(font()).lineSpacing());
}

void ClampedText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(m_color);
    const QFontMetrics metrics(font());
    int y = 0;
    for (const QString &line : shownLines()) {
        painter.drawText(QRect(0, y, width(), metrics.lineSpacing()), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += metrics.lineSpacing();
    }
}

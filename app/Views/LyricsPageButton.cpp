#include "LyricsPageButton.h"

#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr qreal disabledOpacity = 0.45;

} // namespace

LyricsPageButton::LyricsPageButton(const QString &title, std::optional<SymbolLook> symbol, QFont font,
    Shape shape, ColorRule colors, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_font(std::move(font))
    , m_shape(shape)
    , m_colors(std::move(colors))
{
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(shape.height);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LyricsPageButton::setHelp(const QString &help)
{
    setToolTip(help.toHtmlEscaped());
}

void LyricsPageButton::setTitle(const QString &title)
{
    if (title == text())
        return;
    setText(title);
    setAccessibleName(title);
    updateGeometry();
}

LyricsPageButton::Colors LyricsPageButton::colors() const
{
    return m_colors(ThemeEnvironment::theme(this));
}

QSize LyricsPageButton::sizeHint() const
{
    qreal width = QFontMetricsF(m_font).horizontalAdvance(text());
    if (m_symbol)
        width += m_symbol->pointSize + m_shape.spacing;
    return QSize(int(std::ceil(width)) + 2 * m_shape.horizontalPadding, m_shape.height);
}

QSize LyricsPageButton::minimumSizeHint() const
{
    return sizeHint();
}

void LyricsPageButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        update();
}

void LyricsPageButton::paintEvent(QPaintEvent *)
{
    const Colors look = colors();
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.setOpacity(isEnabled() ? (isDown() ? 0.8 : 1.0) : disabledOpacity);

    const QRectF bounds = rect();
    const qreal radius = m_shape.cornerRadius.value_or(bounds.height() / 2);
    QPainterPath shape;
    shape.addRoundedRect(bounds, radius, radius);
    painter.fillPath(shape, look.fill);
    if (look.border.alpha() > 0) {
        // Drawn inside the shape's edge.
        const QRectF inner = bounds.adjusted(0.25, 0.25, -0.25, -0.25);
        painter.setPen(QPen(look.border, 0.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(inner, radius - 0.25, radius - 0.25);
    }

    const QFontMetricsF metrics(m_font);
    const qreal titleWidth = metrics.horizontalAdvance(text());
    const qreal symbolWidth = m_symbol ? m_symbol->pointSize + m_shape.spacing : 0;
    qreal x = (bounds.width() - titleWidth - symbolWidth) / 2;
    if (m_symbol) {
        const QImage symbol = Icons::tinted(LyricsPageSymbols::image(m_symbol->symbol, m_symbol->pointSize,
                                                m_symbol->weight, devicePixelRatioF()),
            look.foreground);
        painter.drawImage(QRectF(x, (bounds.height() - m_symbol->pointSize) / 2, m_symbol->pointSize,
                              m_symbol->pointSize),
            symbol);
        x += symbolWidth;
    }
    painter.setFont(m_font);
    painter.setPen(look.foreground);
    painter.drawText(QRectF(x, 0, titleWidth + 1, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

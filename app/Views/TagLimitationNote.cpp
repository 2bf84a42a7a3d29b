#include "TagLimitationNote.h"

#include "SheetStyle.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal iconSide = 11;

} // namespace

TagLimitationNote::TagLimitationNote(const QString &limitation, QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(limitation, this))
{
    setObjectName(QStringLiteral("limitationNote"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setFont(Fonts::system(11));
    m_icon->setFixedSize(int(iconSide), int(iconSide));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 7, 10, 7);
    layout->setSpacing(7);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);
    layout->addWidget(m_text, 1, Qt::AlignVCenter);
}

QString TagLimitationNote::text() const
{
    return m_text->text();
}

void TagLimitationNote::applyTheme(const ThemePalette &theme)
{
    const qreal ratio = devicePixelRatioF();
    m_icon->setPixmap(QPixmap::fromImage(Icons::tinted(warningTriangle(iconSide, ratio), theme.warning)));
    SheetStyle::setTextColour(m_text, ThemePalette::withAlpha(theme.text, 0.7));
    m_fill = ThemePalette::withAlpha(theme.warning, 0.12);
    update();
}

QImage TagLimitationNote::warningTriangle(qreal side, qreal devicePixelRatio)
{
    const int pixels = qCeil(side * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / 100.0, pixels / 100.0);

    // A rounded triangle in a 100-unit square, the mark cut out of it.
    QPainterPath triangle;
    triangle.moveTo(50, 6);
    triangle.lineTo(97, 90);
    triangle.lineTo(3, 90);
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::black, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::black);
    painter.drawPath(triangle);

    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(44, 32, 12, 34), 6, 6);
    painter.drawEllipse(QPointF(50, 77), 6.5, 6.5);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

void TagLimitationNote::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), 7, 7);
    painter.fillPath(card, m_fill);
}

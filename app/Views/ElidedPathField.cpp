#include "ElidedPathField.h"

#include "UI/ThemeEnvironment.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int horizontalPadding = 8;
constexpr int fieldHeight = 24;
constexpr qreal cornerRadius = 6;

} // namespace

ElidedPathField::ElidedPathField(QWidget *parent) : QWidget(parent)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(11);
    setFont(font);
    setFixedHeight(fieldHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ElidedPathField::setPath(const QString &path)
{
    m_path = path;
    setToolTip(QStringLiteral("<p style='white-space:pre'>") + path.toHtmlEscaped() + QStringLiteral("</p>"));
    update();
}

QString ElidedPathField::shownText() const
{
    return fontMetrics().elidedText(m_path, Qt::ElideMiddle, width() - 2 * horizontalPadding);
}

QSize ElidedPathField::sizeHint() const
{
    return {200, fieldHeight};
}

void ElidedPathField::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath field;
    field.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(field, palette.raisedFill);
    QColor text = palette.text;
    text.setAlphaF(text.alphaF() * 0.8);
    painter.setPen(text);
    painter.drawText(rect().adjusted(horizontalPadding, 0, -horizontalPadding, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     shownText());
}

#include "GlassPanelModifier.h"

#include "MaterialBackdrop.h"
#include "ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr qreal hairlineWidth = 0.5;

QPainterPath panelShape(const QRectF &rect, qreal cornerRadius)
{
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    return shape;
}

} // namespace

// Draws the hairline over the content, so it sits above the content's own painting.
class GlassPanelModifier::Border : public QWidget
{
public:
    explicit Border(GlassPanelModifier *panel)
        : QWidget(panel)
        , m_panel(panel)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // Stroked within the shape: inset by half the line width.
        const qreal inset = hairlineWidth / 2;
        const QRectF inner = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(ThemeEnvironment::theme(this).hairline, hairlineWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(panelShape(inner, std::max(0.0, m_panel->cornerRadius() - inset)));
    }

private:
    GlassPanelModifier *m_panel;
};

GlassPanelModifier::GlassPanelModifier(QWidget *content, qreal cornerRadius, QWidget *parent)
    : QWidget(parent)
    , m_content(content)
    , m_cornerRadius(cornerRadius)
    , m_border(new Border(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    m_border->raise();
}

void GlassPanelModifier::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
    m_border->update();
}

void GlassPanelModifier::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const QPainterPath shape = panelShape(rect(), m_cornerRadius);
    QColor tint = palette.panelTint;
    tint.setAlphaF(palette.tokens.isDark ? 0.55f : 0.78f);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    MaterialBackdrop::paintMaterial(painter, shape, MaterialBackdrop::Material::ultraThin, this);
    painter.fillPath(shape, tint);
}

void GlassPanelModifier::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_border->setGeometry(rect());
    m_border->raise();
}

GlassPanelModifier *glassPanel(QWidget *content, qreal cornerRadius)
{
    return new GlassPanelModifier(content, cornerRadius);
}

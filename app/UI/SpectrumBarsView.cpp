#include "SpectrumBarsView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

SpectrumBarsView::SpectrumBarsView(QWidget *parent)
    : QWidget(parent)
{
}

void SpectrumBarsView::setBottomColor(const QColor &color)
{
    m_bottomColor = color;
    update();
}

void SpectrumBarsView::setTopColor(const QColor &color)
{
    m_topColor = color;
    update();
}

void SpectrumBarsView::setGap(qreal gap)
{
    m_gap = gap;
    update();
}

void SpectrumBarsView::setMinBarHeight(qreal height)
{
    m_minBarHeight = height;
    update();
}

void SpectrumBarsView::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

void SpectrumBarsView::setBands(const QList<float> &bands)
{
    if (bands == m_bands)
        return;
    m_bands = bands;
    update();
}

QRectF SpectrumBarsView::barRect(
    qsizetype index, qsizetype count, float value, QSizeF size, qreal gap, qreal minBarHeight)
{
    const qreal width = std::max(1.0, (size.width() - qreal(count - 1) * gap) / qreal(count));
    // NaN reads as silence rather than slipping through the clamp.
    const qreal level = std::isnan(value) ? 0.0 : std::clamp(qreal(value), 0.0, 1.0);
    const qreal height = std::max(minBarHeight, size.height() * level);
    return QRectF(qreal(index) * (width + gap), size.height() - height, width, height);
}

void SpectrumBarsView::paintEvent(QPaintEvent *)
{
    const QSizeF size = this->size();
    if (m_bands.isEmpty() || size.width() <= 0 || size.height() <= 0)
        return;

    // One path for all bars, filled once with the gradient.
    QPainterPath bars;
    bars.setFillRule(Qt::WindingFill);
    for (qsizetype i = 0; i < m_bands.size(); ++i) {
        const QRectF bar = barRect(i, m_bands.size(), m_bands.at(i), size, m_gap, m_minBarHeight);
        // Narrow or low bars get fully rounded ends instead of overlapping corners.
        bars.addRoundedRect(
            bar, std::min(bar.width() / 2, m_cornerRadius), std::min(bar.height() / 2, m_cornerRadius));
    }

    QLinearGradient gradient(0, size.height(), 0, 0);
    gradient.setColorAt(0, m_bottomColor);
    gradient.setColorAt(1, m_topColor);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(bars, gradient);
}

#include "OrganizerPreviewTable.h"

#include "Localization.h"
#include "OrganizerPlanRows.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

OrganizerPreviewTable::OrganizerPreviewTable(QWidget *parent) : QWidget(parent), m_rows(new OrganizerPlanRows(this))
{
    setObjectName(QStringLiteral("organizerPreviewTable"));
}

void OrganizerPreviewTable::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Inside the border, below the header; the rounded corners below are the panel's own.
    m_rows->setGeometry(1, headerHeight, width() - 2, height() - headerHeight - 4);
}

void OrganizerPreviewTable::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF panel = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    QPainterPath shape;
    shape.addRoundedRect(panel, cornerRadius, cornerRadius);
    QColor fill = palette.raisedFill;
    fill.setAlphaF(fill.alphaF() * 0.6);
    painter.fillPath(shape, fill);

    painter.save();
    painter.setClipPath(shape);
    painter.fillRect(QRectF(0, 0, width(), headerHeight), palette.raisedFill);
    painter.restore();

    painter.setPen(QPen(palette.hairline, 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);

    // The header's columns line up with the rows' columns.
    const int column = (m_rows->viewport()->width() - 2 * OrganizerPlanRows::horizontalPadding
                        - OrganizerPlanRows::columnSpacing) / 2;
    QColor label = palette.text;
    label.setAlphaF(label.alphaF() * (palette.tokens.isDark ? 0.5 : 0.62));
    painter.setPen(label);
    painter.setFont(Fonts::system(10.5, QFont::DemiBold));
    const int left = 1 + OrganizerPlanRows::horizontalPadding;
    painter.drawText(QRect(left, 0, column, headerHeight), Qt::AlignLeft | Qt::AlignVCenter, L("原路径"));
    painter.drawText(QRect(left + column + OrganizerPlanRows::columnSpacing, 0, column, headerHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, L("新路径"));
}

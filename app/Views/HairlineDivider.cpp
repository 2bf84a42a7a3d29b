#include "HairlineDivider.h"

#include "UI/ThemeEnvironment.h"

#include <QPainter>

HairlineDivider::HairlineDivider(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void HairlineDivider::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), ThemeEnvironment::theme(this).hairline);
}

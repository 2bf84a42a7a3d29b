#include "PanePlaceholder.h"

PanePlaceholder::PanePlaceholder(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    setAccessibleName(name);
}

#pragma once

#include <QString>

class QWidget;

// Saves what a widget shows as <build folder>/screenshots/<name>.png, to be looked at; no test
// compares it with anything.
namespace Screenshots {

QString folder();
QString save(QWidget &widget, const QString &name);

} // namespace Screenshots

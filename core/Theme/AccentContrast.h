#pragma once

#include <QString>
#include <QStringView>

// Picks black or white text for an accent by the larger contrast ratio.
namespace AccentContrast {

// "#000000" or "#FFFFFF"; text that is no colour gives "#FFFFFF".
QString textColor(QStringView accentHex);

} // namespace AccentContrast

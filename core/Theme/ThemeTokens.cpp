#include "ThemeTokens.h"

#include "AccentContrast.h"

QString ThemeTokens::accentTextHex() const
{
    return AccentContrast::textColor(accentHex);
}

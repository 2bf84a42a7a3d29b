#include "Fonts.h"

#include <QFontDatabase>

namespace Fonts {

QFont system(qreal pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // Qt takes whole pixels; round so that 13.5 does not silently become 13.
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setWeight(weight);
    return font;
}

} // namespace Fonts

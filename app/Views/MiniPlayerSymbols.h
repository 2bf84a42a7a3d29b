#pragma once

#include <QImage>

// The mini player's button symbols drawn in code, as template images for a square of
// `pointSize` logical pixels (only their alpha counts; Icons::tinted colours them).
namespace MiniPlayerSymbols {

enum class Symbol { previous, play, pause, next, lyrics, expand };

QImage image(Symbol symbol, qreal pointSize, qreal devicePixelRatio = 1.0);

} // namespace MiniPlayerSymbols

#include "MiniSpectrumView.h"

#include "UI/Model/PlaybackEngine.h"
#include "UI/ThemeEnvironment.h"

MiniSpectrumView::MiniSpectrumView(PlaybackEngine &engine, QWidget *parent) : SpectrumBarsView(parent)
{
    setFixedSize(84, 26);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGap(1.5);
    setMinBarHeight(3);
    setCornerRadius(1.25);
    attach(&engine);
}

void MiniSpectrumView::paintEvent(QPaintEvent *event)
{
    // The palette arrives through the window root, so the colours are taken when painting.
    const ThemePalette theme = ThemeEnvironment::theme(this);
    if (bottomColor() != theme.accent || topColor() != theme.accentSecondary) {
        setBottomColor(theme.accent);
        setTopColor(theme.accentSecondary);
    }
    SpectrumBarsView::paintEvent(event);
}

#pragma once

#include "UI/SpectrumBarsView.h"

class PlaybackEngine;

// The mini player's 84 x 26 spectrum: the engine's bars from the accent up to the secondary
// accent of the palette it is shown in.
class MiniSpectrumView : public SpectrumBarsView
{
    Q_OBJECT

public:
    explicit MiniSpectrumView(PlaybackEngine &engine, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

#pragma once

#include "LyricsOverlayPanel.h"
#include "MiniPlayerPanel.h"

// Panel controllers without windows that count what the model asked of them.
class FakeMiniPlayerPanel final : public MiniPlayerPanel
{
    Q_OBJECT

public:
    using MiniPlayerPanel::MiniPlayerPanel;

    void show() override { ++showCount; }
    void hide() override { ++hideCount; }
    void applySettings() override { ++applyCount; }

    int showCount = 0;
    int hideCount = 0;
    int applyCount = 0;
};

class FakeLyricsOverlayPanel final : public LyricsOverlayPanel
{
    Q_OBJECT

public:
    using LyricsOverlayPanel::LyricsOverlayPanel;

    bool isLocked() const override { return locked; }
    void setLocked(bool isLocked) override { locked = isLocked; }
    void show() override { ++showCount; }
    void hide() override { ++hideCount; }
    void applySettings() override { ++applyCount; }

    bool locked = false;
    int showCount = 0;
    int hideCount = 0;
    int applyCount = 0;
};

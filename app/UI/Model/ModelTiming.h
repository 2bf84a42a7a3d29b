#pragma once

#include <chrono>

// The model's delays. Tests scale them down so that timed behaviour runs in milliseconds.
struct ModelTiming
{
    // How often the playback state is saved while playing.
    std::chrono::milliseconds playbackSaveInterval{5000};
    // Slider-driven settings are saved this long after their last change.
    std::chrono::milliseconds settingDebounce{300};
    // Settings saves that arrive within this window are written once.
    std::chrono::milliseconds settingsCoalescing{200};

    ModelTiming scaled(double factor) const
    {
        const auto scale = [factor](std::chrono::milliseconds value) {
            return std::chrono::milliseconds(qint64(double(value.count()) * factor));
        };
        return {scale(playbackSaveInterval), scale(settingDebounce), scale(settingsCoalescing)};
    }
};

#pragma once

#include "ModelTestEnvironment.h"
#include "SeededDataFolder.h"

#include "UI/AppModel.h"
#include "UI/SystemColorScheme.h"
#include "UI/ThemeEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

// A system appearance that tests set by hand.
class FixedColorScheme final : public SystemColorScheme
{
public:
    bool isDark() const override { return dark; }
    void setDark(bool isDark)
    {
        dark = isDark;
        emit isDarkChanged(dark);
    }

    bool dark = false;
};

// What an interface test starts from: HOME and XDG folders of its own, a model over the seeded
// data folder (five tracks in two folders, two playlists, a saved position) with fakes for the
// engine, prompts and desktop, and a theme environment with a light system appearance.
class GuiFixture : public ::testing::Test
{
protected:
    GuiFixture();
    ~GuiFixture() override;

    // Builds the model over the data folder as it stands (seed changes go before this).
    AppModel &buildModel();
    // Changes the stored settings before the model is built.
    void seedSettings(const std::function<void(AppSettings &)> &change);
    // Runs the event loop until everything queued so far has been handled.
    static void settle(int milliseconds = 0);
    // Plays the model's first track, with an empty file put where it lies so that it is present.
    void playFirstTrack();

    SeededDataFolder home;
    ModelTestEnvironment environment;
    FixedColorScheme colorScheme;
    ThemeEnvironment theme{colorScheme};
    std::unique_ptr<AppModel> model;
};

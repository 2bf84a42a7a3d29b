#pragma once

#include "GuiSupport/GuiFixture.h"
#include "Views/SettingsSheet.h"

#include <QMainWindow>

#include <memory>

// A plain main window presenting the settings sheet of a model over the seeded library. (The
// program's own main window would start the model, whose rescan finds every seeded file absent.)
class QPushButton;
class SheetPresenter;

class SettingsSheetFixture : public GuiFixture
{
protected:
    ~SettingsSheetFixture() override;

    // Builds the model when the test has not, shows the window and presents the sheet.
    SettingsSheet &openSheet();
    // Marks the first `count` seeded tracks missing (before the model is built).
    void seedMissingTracks(int count);
    // Puts one entry in the tag-edit journal (before the model is built).
    void seedTagUndoEntry();
    // Scans a new folder holding `count` files that cannot be read; waits for the scan.
    void scanUnreadableFiles(int count);
    // Waits until `condition` holds, for at most two seconds.
    static bool waitFor(const std::function<bool()> &condition);

    SettingsSheet *sheet() const;

    std::unique_ptr<QMainWindow> window;
    QPushButton *windowButton = nullptr;
    SheetPresenter *presenter = nullptr;
};

#pragma once

#include "Models/Track.h"
#include "UI/ThemePalette.h"

#include <QDialog>
#include <QList>

#include <memory>
#include <optional>

class AppModel;
class OrganizerPreviewView;
class OrganizerPrompts;

// The window-modal dialog that holds the organizer preview over the app background, 760 by 620.
// It cannot be closed while a file job runs.
class OrganizerSheet : public QDialog
{
    Q_OBJECT

public:
    // Without prompts the sheet asks through dialogs of its own.
    OrganizerSheet(AppModel &model, const QList<Track> &tracks, QWidget *parent,
                   std::shared_ptr<OrganizerPrompts> prompts = {});

    OrganizerPreviewView *preview() const { return m_preview; }

    static constexpr QSize size{760, 620};

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    // Keeps the platform controls (pickers, buttons, scroll bar) in the theme's light or dark.
    bool event(QEvent *event) override;

private:
    void applyControlPalette(const ThemePalette &theme);

    AppModel &m_model;
    std::optional<ThemePalette> m_controlTheme;
    OrganizerPreviewView *m_preview;
};

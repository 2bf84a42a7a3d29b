#pragma once

#include "SettingsCard.h"

#include <QColorDialog>
#include <QPointer>
#include <QTimer>

class AppModel;
class PresetSwatch;
class QCheckBox;

class QPushButton;
class SegmentedPicker;

// The appearance card: interface language, theme preset, light or dark, a custom accent (picked
// live in a colour dialog), the track list's row style and four window behaviours.
class AppearanceCard : public SettingsCard
{
    Q_OBJECT

public:
    // Dragging in the colour dialog re-themes at most this often.
    static constexpr int accentInterval = 40;

    explicit AppearanceCard(AppModel &model, QWidget *parent = nullptr);

    SegmentedPicker *languagePicker() const { return m_language; }
    const QList<PresetSwatch *> &swatches() const { return m_swatches; }
    SegmentedPicker *modePicker() const { return m_mode; }
    QPushButton *accentWell() const { return m_accentWell; }
    QPushButton *resetAccentButton() const { return m_resetAccent; }
    SegmentedPicker *rowStylePicker() const { return m_rowStyle; }
    QCheckBox *spectrumSwitch() const { return m_spectrum; }
    QCheckBox *captureSwitch() const { return m_capture; }
    QCheckBox *onTopSwitch() const { return m_onTop; }
    QCheckBox *keepRunningSwitch() const { return m_keepRunning; }
    // The open colour dialog, if any.
    QColorDialog *accentDialog() const { return m_accentDialog; }

    // The colour the well shows: the custom accent, else the preset's accent for the current
    // lightness; grey for a stored text that is not a colour.
    QColor accentColour() const;
    // Takes a colour picked in the dialog; applied at once, then at most once per interval.
    void pickAccent(const QColor &colour);

    void refresh();

private:
    void openAccentDialog();
    void applyPendingAccent();
    void setShowMainSpectrum(bool shows);

    AppModel &m_model;
    SegmentedPicker *m_language;
    QList<PresetSwatch *> m_swatches;
    SegmentedPicker *m_mode;
    QPushButton *m_accentWell;
    QWidget *m_accentSample;
    QPushButton *m_resetAccent;
    SegmentedPicker *m_rowStyle;
    QCheckBox *m_spectrum;
    QCheckBox *m_capture;
    QCheckBox *m_onTop;
    QCheckBox *m_keepRunning;
    QPointer<QColorDialog> m_accentDialog;
    QTimer m_accentThrottle;
    std::optional<QString> m_pendingAccent;
};

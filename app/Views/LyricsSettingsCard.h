#pragma once

#include "SettingsCard.h"

class AppModel;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class SegmentedPicker;
class ThemedLabel;

// The lyrics card: online matching, the lyrics endpoint with its check, and the desktop lyrics'
// hover opacity, outline and line count.
class LyricsSettingsCard : public SettingsCard
{
    Q_OBJECT

public:
    // The slider's steps per unit of opacity.
    static constexpr int opacitySteps = 1000;

    explicit LyricsSettingsCard(AppModel &model, QWidget *parent = nullptr);

    // Applies the endpoint field: blank resets to the default service; an address the model
    // refuses keeps the field and shows why.
    void saveEndpoint();

    QCheckBox *onlineSwitch() const { return m_online; }
    QLineEdit *endpointField() const { return m_endpoint; }
    QPushButton *resetEndpointButton() const { return m_resetEndpoint; }
    ThemedLabel *endpointNotice() const { return m_endpointNotice; }
    QSlider *opacitySlider() const { return m_opacity; }
    ThemedLabel *opacityText() const { return m_opacityText; }
    QCheckBox *outlineSwitch() const { return m_outline; }
    SegmentedPicker *lineModePicker() const { return m_lineMode; }

    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setOnline(bool enabled);
    void resetEndpoint();
    void refreshResetButton();

    AppModel &m_model;
    QCheckBox *m_online;
    QLineEdit *m_endpoint;
    QPushButton *m_resetEndpoint;
    ThemedLabel *m_endpointNotice;
    QSlider *m_opacity;
    ThemedLabel *m_opacityText;
    QCheckBox *m_outline;
    SegmentedPicker *m_lineMode;
};

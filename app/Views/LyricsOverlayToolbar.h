#pragma once

#include <QWidget>

class AppModel;
class OverlayControlButton;
class OverlayTextButton;
class QSlider;

// The capsule toolbar of an unlocked desktop lyrics overlay: lock, narrower, wider, the hover
// backdrop's opacity, one or two lines, outline, the mini player and close. It acts on the model
// where the model has a command; the overlay's own display state goes out through its signals.
class LyricsOverlayToolbar : public QWidget
{
    Q_OBJECT

public:
    explicit LyricsOverlayToolbar(AppModel &model, QWidget *parent = nullptr);

    // What the buttons show: the line-mode title, the outline highlight, the slider's position.
    void showState(double opacity, bool outline, const QString &lineMode);

signals:
    void resizeRequested(int widthDelta);
    // While the slider moves; the model stores the value once it is let go.
    void opacityPreviewed(double opacity);
    void lineModeToggled();
    void outlineToggled();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showMiniPlayerState();
    void toggleMiniPlayer();
    void close();
    double sliderOpacity() const;

    AppModel &m_model;
    QSlider *m_opacity;
    OverlayTextButton *m_lineMode;
    OverlayTextButton *m_outline;
    OverlayControlButton *m_miniPlayer;
};

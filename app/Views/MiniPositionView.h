#pragma once

#include <QWidget>

class AppModel;
class PlaybackEngine;

// The mini player's elapsed time: the engine's position while a file is loaded, the saved
// resume position otherwise. It follows the engine's ticks itself, so a tick repaints only this
// text; its width is that of the text.
class MiniPositionView : public QWidget
{
    Q_OBJECT

public:
    MiniPositionView(AppModel &model, PlaybackEngine &engine, QWidget *parent = nullptr);

    QString text() const;
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setPosition(double position);
    void refresh();

    AppModel &m_model;
    PlaybackEngine &m_engine;
    double m_position = 0;
    QString m_shownText;
};

#pragma once

#include <QObject>
#include <QPointer>

class AppModel;
class QKeyEvent;
class QMouseEvent;
class QWidget;
class QWindow;

// Hands the model the application's key presses and left clicks before any widget sees them:
// one event filter on the application that looks only at events addressed to a window, so each
// event is seen once, ahead of the widget it is meant for. It gathers what the model cannot know
// (which window is active, whether a text field has the focus, whether a dialog is modal) and
// carries out the model's answer. Holds the model weakly; without it every event passes.
class InputMonitor : public QObject
{
    Q_OBJECT

public:
    // Installs itself on the application.
    explicit InputMonitor(AppModel &model, QObject *parent = nullptr);
    ~InputMonitor() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPressed(const QKeyEvent &event);
    void leftButtonPressed(QWindow &window, const QMouseEvent &event);

    QPointer<AppModel> m_model;
};

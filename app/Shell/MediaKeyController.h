#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <functional>

class AppModel;
class MprisService;

// Media keys and the now-playing information: the player on the session bus, whose play, pause,
// next and previous calls reach the model, and whose published information follows the current
// track and the playing state at once and the position at most once a second. Created last at
// launch, after the tray icon, so that it publishes a model whose panels are already in place.
class MediaKeyController : public QObject
{
    Q_OBJECT

public:
    MediaKeyController(AppModel &model, QDBusConnection connection, std::function<void()> showMainWindow,
        QObject *parent = nullptr);
    ~MediaKeyController() override;

    MprisService &service() const { return *m_service; }

private:
    void registerCommands();
    void observe();
    void updateNowPlaying();
    void positionChanged();

    AppModel &m_model;
    std::function<void()> m_showMainWindow;
    MprisService *m_service;
    // Position ticks: the first of a quiet second updates at once, the rest once the second is over.
    QTimer m_positionThrottle;
    bool m_positionPending = false;
};

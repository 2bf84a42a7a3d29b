#include "MediaKeyController.h"

#include "MprisService.h"
#include "NowPlayingInfo.h"
#include "UI/AppModel.h"

namespace {

constexpr int positionInterval = 1000;

} // namespace

MediaKeyController::MediaKeyController(
    AppModel &model, QDBusConnection connection, std::function<void()> showMainWindow, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_showMainWindow(std::move(showMainWindow))
    , m_service(new MprisService(std::move(connection), this))
{
    m_positionThrottle.setSingleShot(true);
    m_positionThrottle.setInterval(positionInterval);
    registerCommands();
    observe();
    updateNowPlaying();
}

MediaKeyController::~MediaKeyController() = default;

// A bus call is answered at once; its action runs in a later turn of the event loop.
void MediaKeyController::registerCommands()
{
    const auto queued = Qt::QueuedConnection;
    connect(m_service, &MprisService::playRequested, this, [this] { m_model.play(); }, queued);
    connect(m_service, &MprisService::pauseRequested, this, [this] { m_model.engine().pause(); }, queued);
    connect(m_service, &MprisService::playPauseRequested, &m_model, &AppModel::togglePlayback, queued);
    // The player has no stop of its own: stopping keeps the track and its position, as pausing does.
    connect(m_service, &MprisService::stopRequested, this, [this] { m_model.engine().pause(); }, queued);
    connect(m_service, &MprisService::nextRequested, this, [this] { m_model.next(); }, queued);
    connect(m_service, &MprisService::previousRequested, this, [this] { m_model.previous(); }, queued);
    connect(m_service, &MprisService::raiseRequested, this, [this] {
        if (m_showMainWindow)
            m_showMainWindow();
    }, queued);
}

void MediaKeyController::observe()
{
    const auto queued = Qt::QueuedConnection;
    connect(&m_model, &AppModel::currentTrackChanged, this, &MediaKeyController::updateNowPlaying, queued);
    connect(&m_model, &AppModel::isPlayingChanged, this, &MediaKeyController::updateNowPlaying, queued);
    connect(&m_model.engine(), &PlaybackEngine::positionChanged, this, &MediaKeyController::positionChanged);
    connect(&m_positionThrottle, &QTimer::timeout, this, [this] {
        if (!std::exchange(m_positionPending, false))
            return;
        updateNowPlaying();
        m_positionThrottle.start();
    });
}

void MediaKeyController::positionChanged()
{
    if (m_positionThrottle.isActive()) {
        m_positionPending = true;
        return;
    }
    updateNowPlaying();
    m_positionThrottle.start();
}

void MediaKeyController::updateNowPlaying()
{
    m_service->publish(NowPlayingInfo::of(m_model));
}

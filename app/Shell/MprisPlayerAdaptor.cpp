#include "MprisPlayerAdaptor.h"

#include "MprisService.h"

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_service->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_service->metadata();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service->position();
}

void MprisPlayerAdaptor::Play()
{
    emit m_service->playRequested();
}

void MprisPlayerAdaptor::Pause()
{
    emit m_service->pauseRequested();
}

void MprisPlayerAdaptor::PlayPause()
{
    emit m_service->playPauseRequested();
}

void MprisPlayerAdaptor::Stop()
{
    emit m_service->stopRequested();
}

void MprisPlayerAdaptor::Next()
{
    emit m_service->nextRequested();
}

void MprisPlayerAdaptor::Previous()
{
    emit m_service->previousRequested();
}

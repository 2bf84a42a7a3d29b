#include "MprisRootAdaptor.h"

#include "Localization.h"
#include "MprisService.h"

#include <QGuiApplication>

MprisRootAdaptor::MprisRootAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}

QString MprisRootAdaptor::identity() const
{
    return L("Quillmere");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return QGuiApplication::desktopFileName();
}

void MprisRootAdaptor::Raise()
{
    emit m_service->raiseRequested();
}

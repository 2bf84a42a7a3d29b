#include "SingleInstance.h"

#include "AppInfo.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

QString SingleInstance::serviceName()
{
    return AppInfo::bundleIdentifier;
}

QString SingleInstance::objectPath()
{
    return QStringLiteral("/com/local/quillmere");
}

SingleInstance::Claim SingleInstance::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return Claim::NoSessionBus;

    // The object is in place before the name is taken, so a launch that finds the name can
    // always reach it.
    bus.registerObject(objectPath(), this, QDBusConnection::ExportScriptableSlots);
    const auto reply = bus.interface()->registerService(serviceName(),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::Owner;

    bus.unregisterObject(objectPath());
    const QDBusMessage call = QDBusMessage::createMethodCall(
        serviceName(), objectPath(), QStringLiteral("com.local.quillmere.Application"),
        QStringLiteral("ShowWindow"));
    bus.call(call, QDBus::Block, 5000);
    return Claim::AlreadyRunning;
}

void SingleInstance::ShowWindow()
{
    emit showRequested();
}

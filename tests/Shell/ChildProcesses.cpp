#include "ChildProcesses.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QThread>

PrivateSessionBus::PrivateSessionBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"), QStringLiteral("--session --nofork --print-address=1").split(u' '));
    if (!m_daemon.waitForStarted(5000))
        return;
    QByteArray output;
    while (!output.contains('\n') && m_daemon.waitForReadyRead(5000))
        output += m_daemon.readAllStandardOutput();
    m_address = QString::fromUtf8(output).trimmed();
}

PrivateSessionBus::~PrivateSessionBus()
{
    m_daemon.terminate();
    m_daemon.waitForFinished(5000);
}

bool PrivateSessionBus::waitForName(const QString &name, int timeoutMs) const
{
    const QString connectionName = QStringLiteral("test-probe-") + m_address;
    bool found = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, connectionName);
        const QDeadlineTimer deadline(timeoutMs);
        while (bus.isConnected() && !deadline.hasExpired()) {
            if (bus.interface()->isServiceRegistered(name)) {
                found = true;
                break;
            }
            QThread::msleep(50);
        }
    }
    QDBusConnection::disconnectFromBus(connectionName);
    return found;
}

VirtualDisplay::VirtualDisplay()
{
    m_server.start(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -screen 0 1440x900x24 -nolisten tcp").split(u' '));
    if (!m_server.waitForStarted(5000))
        return;
    QByteArray output;
    while (!output.contains('\n') && m_server.waitForReadyRead(10000))
        output += m_server.readAllStandardOutput();
    const QString number = QString::fromUtf8(output).trimmed();
    if (!number.isEmpty())
        m_name = QLatin1Char(':') + number;
}

VirtualDisplay::~VirtualDisplay()
{
    m_server.terminate();
    m_server.waitForFinished(5000);
}

QString runTool(const QString &program, const QStringList &arguments, const QStringList &environment, int timeoutMs,
    int *exitCode)
{
    QProcess process;
    process.setEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(timeoutMs);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

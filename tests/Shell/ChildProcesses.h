#pragma once

#include <QProcess>
#include <QString>

// A session bus of the test's own, so a Quillmere under test owns its name without meeting
// another one.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // True once some process owns the name on this bus (polled until the timeout).
    bool waitForName(const QString &name, int timeoutMs) const;

private:
    QProcess m_daemon;
    QString m_address;
};

// An X server of the test's own (Xvfb, 1440 x 900, 24 bits).
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();

    bool isRunning() const { return !m_name.isEmpty(); }
    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

// Runs a program to its end and returns its standard output, trimmed.
QString runTool(const QString &program, const QStringList &arguments, const QStringList &environment,
    int timeoutMs = 10000, int *exitCode = nullptr);

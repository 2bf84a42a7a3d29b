#pragma once

#include <QObject>
#include <QString>

// One Quillmere per user: the first process owns a name on the session bus. A later launch asks
// the owner to show its window and then exits, so two processes never write the same library
// files.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.local.quillmere.Application")

public:
    enum class Claim {
        Owner,          // this process owns the name and answers later launches
        AlreadyRunning, // another process owns it and has been asked to show its window
        NoSessionBus,   // no bus to ask: run without the guard
    };

    explicit SingleInstance(QObject *parent = nullptr);

    static QString serviceName();
    static QString objectPath();

    Claim claim();

public slots:
    // Called over the bus by a second launch.
    Q_SCRIPTABLE void ShowWindow();

signals:
    void showRequested();
};

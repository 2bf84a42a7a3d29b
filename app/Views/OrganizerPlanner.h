#pragma once

#include "Models/Track.h"
#include "Organize/OrganizePlanItem.h"
#include "Storage/FileLocation.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <optional>

class FileOrganizer;

// What the organizer sheet shows for one set of choices: the planned items, how many of them
// were numbered to dodge a taken name, and whether any crosses to another file system.
struct OrganizerPlan
{
    QList<OrganizePlanItem> items;
    int conflictCount = 0;
    bool crossesVolumes = false;
};

// Plans on a worker thread, since planning checks the disk for every destination. One plan runs
// at a time; a request made meanwhile waits, replacing any request that waited before it, and
// only the result of the newest request is delivered.
class OrganizerPlanner : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QList<Track> tracks;
        QString templateText;
        FileLocation root;
    };

    // The organizer must outlive the planner.
    explicit OrganizerPlanner(const FileOrganizer &organizer, QObject *parent = nullptr);
    // Waits for a plan still running, which reads the organizer.
    ~OrganizerPlanner() override;

    void request(Request request);
    // True from a request until its plan (or a newer one) has been delivered.
    bool isPlanning() const { return m_delivered != m_generation; }

    static OrganizerPlan compute(const FileOrganizer &organizer, const Request &request);

signals:
    void planned(const OrganizerPlan &plan);

private:
    void startWaiting();
    void finishRunning();

    const FileOrganizer &m_organizer;
    QThreadPool m_pool;
    QFutureWatcher<OrganizerPlan> m_watcher;
    std::optional<Request> m_waiting;
    quint64 m_generation = 0;
    quint64 m_runningGeneration = 0;
    quint64 m_delivered = 0;
};

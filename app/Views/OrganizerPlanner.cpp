#include "OrganizerPlanner.h"

#include "Organize/FileOrganizer.h"

#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

OrganizerPlanner::OrganizerPlanner(const FileOrganizer &organizer, QObject *parent)
    : QObject(parent), m_organizer(organizer)
{
    m_pool.setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcher<OrganizerPlan>::finished, this, &OrganizerPlanner::finishRunning);
}

OrganizerPlanner::~OrganizerPlanner()
{
    m_watcher.disconnect(this);
    m_pool.waitForDone();
}

void OrganizerPlanner::request(Request request)
{
    ++m_generation;
    m_waiting = std::move(request);
    if (!m_watcher.isRunning())
        startWaiting();
}

void OrganizerPlanner::startWaiting()
{
    m_runningGeneration = m_generation;
    m_watcher.setFuture(QtConcurrent::run(&m_pool,
        [&organizer = m_organizer, request = std::move(*m_waiting)] { return compute(organizer, request); }));
    m_waiting.reset();
}

void OrganizerPlanner::finishRunning()
{
    if (m_waiting) {
        startWaiting();
        return;
    }
    if (m_runningGeneration != m_generation)
        return;
    m_delivered = m_runningGeneration;
    emit planned(m_watcher.result());
}

OrganizerPlan OrganizerPlanner::compute(const FileOrganizer &organizer, const Request &request)
{
    OrganizerPlan plan;
    plan.items = organizer.plan(request.tracks, request.templateText, request.root);
    plan.conflictCount = int(std::ranges::count_if(plan.items, &OrganizePlanItem::conflictResolved));
    // A file lies on the file system of its folder, so each pair of folders is examined once.
    QSet<std::pair<QByteArray, QByteArray>> examined;
    for (const OrganizePlanItem &item : std::as_const(plan.items)) {
        const FileLocation from = item.source.deletingLastPathComponent();
        const FileLocation to = item.destination.deletingLastPathComponent();
        if (examined.contains({from.path(), to.path()}))
            continue;
        examined.insert({from.path(), to.path()});
        if (FileOrganizer::crossesVolumes(from, to, organizer.files())) {
            plan.crossesVolumes = true;
            break;
        }
    }
    return plan;
}

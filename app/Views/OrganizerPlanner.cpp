#include "OrganizerPlanner.h"

#include "Organize/FileOrganizer.h"

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
    plan.crossesVolumes = std::ranges::any_of(plan.items, [&organizer](const OrganizePlanItem &item) {
        return FileOrganizer::crossesVolumes(item.source, item.destination, organizer.files());
    });
    return plan;
}

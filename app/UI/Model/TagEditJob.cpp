#include "TagEditJob.h"

#include "TagEditMerge.h"
#include "TagIndexUpdate.h"

#include "Localization.h"
#include "Storage/FileTime.h"

TagEditJob::TagEditJob(FileJobRunner &runner, FileJobRunner::JobID job, std::shared_ptr<const TagIO> tags,
                       TagEditUndoStore &journal, std::shared_ptr<const Clock> clock, TagFields request,
                       QList<Track> tracks, Finished finished)
    : m_runner(runner), m_job(job), m_tags(std::move(tags)), m_journal(journal), m_clock(std::move(clock)),
      m_request(std::move(request)), m_tracks(std::move(tracks)), m_finished(std::move(finished))
{
}

TagEditJob::FileResult TagEditJob::editFile(const TagIO &tags, const Track &track, const TagFields &request,
                                            FileOperations &files)
{
    const std::optional<TagFields> before = tags.read(track.url);
    if (!before)
        return {std::nullopt, std::nullopt, Lf("《%@》无法读取标签", track.title)};
    const TagFields after = TagEditMerge::merged(*before, request);
    if (after == *before)
        return {before, std::nullopt, std::nullopt};
    if (auto written = tags.write(TagEditMerge::writePayload(request), track.url); !written)
        return {before, std::nullopt, Lf("《%@》：%@", track.title, written.error().description())};
    const bool artworkChanged = before->artworkBase64 != after.artworkBase64;
    return {before, TagIndexUpdate::describe(track.url, after, artworkChanged, files), std::nullopt};
}

void TagEditJob::step(qsizetype index)
{
    if (index == m_tracks.size() || m_stopping) {
        m_finished(m_outcome);
        return;
    }
    const qsizetype count = m_tracks.size();
    m_runner.setProgress(m_job, Lf("正在写入 %d/%d…", index + 1, count));
    auto self = shared_from_this();
    m_runner.run<FileResult>(
        [tags = m_tags, track = m_tracks.at(index), request = m_request] { return editFile(*tags, track, request); },
        [self] { self->m_stopping = true; },
        [self, index](const FileResult &result) {
            self->take(self->m_tracks.at(index), result);
            self->step(index + 1);
        });
}

void TagEditJob::take(const Track &track, const FileResult &result)
{
    if (result.failure)
        m_outcome.failures.append(*result.failure);
    if (!result.written)
        return;
    m_outcome.written.append(*result.written);
    const double now = double(m_clock->now().toMSecsSinceEpoch()) / 1000.0 - double(FileTime::referenceEpochOffset);
    if (!m_journal.record({track.url, *result.before, result.written->fields, now}))
        ++m_outcome.undoFailures;
}

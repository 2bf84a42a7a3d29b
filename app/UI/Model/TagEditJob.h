#pragma once

#include "Clock.h"
#include "FileJobRunner.h"
#include "TagIO.h"
#include "WrittenTags.h"

#include "Models/Track.h"
#include "Tags/TagEditUndoStore.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>

// One run of a tag edit: the same request written into the files of the tracks, one file after the
// other on the runner's pool. Each written file is journalled on the GUI thread as soon as it comes
// back, so that it can be undone however the run ends. Quitting stops the run after the file being
// written.
class TagEditJob final : public std::enable_shared_from_this<TagEditJob>
{
public:
    // What became of one file: written (with its tags before and after), unchanged (neither), or
    // a failure text.
    struct FileResult
    {
        std::optional<TagFields> before;
        std::optional<WrittenTags> written;
        std::optional<QString> failure;
    };

    struct Outcome
    {
        QList<WrittenTags> written; // in the order of the tracks
        QStringList failures;
        int undoFailures = 0; // written files whose journal entry could not be saved
    };

    using Finished = std::function<void(const Outcome &)>;

    TagEditJob(FileJobRunner &runner, FileJobRunner::JobID job, std::shared_ptr<const TagIO> tags,
               TagEditUndoStore &journal, std::shared_ptr<const Clock> clock, TagFields request, QList<Track> tracks,
               Finished finished);

    void start() { step(0); }

    // The work on one file; any thread. Reads the tags, merges the request and writes the file
    // only when that changes something.
    static FileResult editFile(const TagIO &tags, const Track &track, const TagFields &request,
                               FileOperations &files = FileOperations::system());

private:
    void step(qsizetype index);
    void take(const Track &track, const FileResult &result);

    FileJobRunner &m_runner;
    FileJobRunner::JobID m_job;
    std::shared_ptr<const TagIO> m_tags;
    TagEditUndoStore &m_journal;
    std::shared_ptr<const Clock> m_clock;
    TagFields m_request;
    QList<Track> m_tracks;
    Finished m_finished;
    Outcome m_outcome;
    bool m_stopping = false;
};

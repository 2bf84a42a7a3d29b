#include "AppModel.h"

#include "FolderImport.h"
#include "PlayableFile.h"
#include "TagIndexUpdate.h"

#include "Localization.h"
#include "Organize/OrganizeURLMapping.h"

#include <QPromise>

// The model's file commands: import, scan and folder commands, tag edits with their undo and the
// mojibake repair, and organising. The rest of the model is in AppModel.cpp.

// ---- Keeping the selection and the current track in line with the library ----

void AppModel::pruneSelection()
{
    if (m_selectedTrackIDs.isEmpty())
        return;
    QSet<QUuid> known;
    known.reserve(m_tracks.size());
    for (const Track &track : std::as_const(m_tracks))
        known.insert(track.id);
    setSelectedTrackIDs(QSet<QUuid>(m_selectedTrackIDs.ids()).intersect(known));
}

// ---- Import, scan and folder commands ----

namespace {

// Calls `then` on the GUI thread once the future has finished.
void whenFinished(QObject *context, const QFuture<void> &future, std::function<void()> then)
{
    auto *watcher = new QFutureWatcher<void>(context);
    QObject::connect(watcher, &QFutureWatcher<void>::finished, context, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then();
    });
    watcher->setFuture(future);
}

} // namespace

QList<FileLocation> AppModel::openFolders()
{
    return m_environment.prompts->chooseFolders(L("选择包含音乐的文件夹"), L("导入"));
}

void AppModel::importFolders(const QList<FileLocation> &items)
{
    const QList<FileLocation> folders = FolderImport::folders(items, *m_environment.files);
    if (folders.isEmpty())
        return;
    if (m_isScanning) {
        setStatusMessage(L("正在扫描音乐库，请稍后再导入。"));
        return;
    }
    setScanning(true);
    importNextFolder(folders, 0);
}

// Each folder is added and the whole library scanned before the next one.
void AppModel::importNextFolder(const QList<FileLocation> &folders, qsizetype next)
{
    if (next == folders.size()) {
        finishScan();
        return;
    }
    whenFinished(this, m_library->addFolder(folders.at(next), m_environment.metadataReader),
                 [this, folders, next] { importNextFolder(folders, next + 1); });
}

void AppModel::rescan()
{
    if (m_isScanning)
        return;
    setScanning(true);
    whenFinished(this, m_library->rescan(m_environment.metadataReader), [this] { finishScan(); });
}

void AppModel::rescanFolder(const FileLocation &folder)
{
    if (m_isScanning)
        return;
    setScanning(true);
    whenFinished(this, m_library->rescan(folder, m_environment.metadataReader), [this] { finishScan(); });
}

void AppModel::finishScan()
{
    setScanning(false);
    refreshFromLibrary();
    prepareLibraryFormats();
}

std::optional<QString> AppModel::refusalWhileScanning()
{
    if (!m_isScanning)
        return std::nullopt;
    const QString text = L("正在扫描音乐库，请稍后再试。");
    setStatusMessage(text);
    return text;
}

void AppModel::republishLibrary()
{
    refreshFromLibrary();
    emit changed();
}

std::optional<QString> AppModel::persistenceErrorText() const
{
    if (const std::optional<FileError> &error = m_library->lastError())
        return Lf("保存失败：%@", error->text());
    return std::nullopt;
}

QString AppModel::reportUnlessSaveFailed(const QString &text)
{
    const QString shown = persistenceErrorText().value_or(text);
    setStatusMessage(shown);
    return shown;
}

QString AppModel::removeFolder(const FileLocation &folder)
{
    if (const auto refused = refusalWhileScanning())
        return *refused;
    m_library->removeFolder(folder);
    if (const auto shown = m_selection.folderLocation(); shown && shown->standardized() == folder.standardized())
        select(LibrarySelection::allMusic());
    republishLibrary();
    const QString text = Lf("已移除文件夹：%@。", folder.standardized().fileNameText());
    setStatusMessage(text);
    surfacePersistenceError();
    return text;
}

QString AppModel::renameFolder(const FileLocation &folder, const QString &name)
{
    if (const auto refused = refusalWhileScanning())
        return *refused;
    const bool playsFromFolder = m_currentTrack && m_currentTrack->url.isUnder(folder);
    const bool wasPlaying = m_engine->isPlaying();
    const double position = m_engine->duration() > 0 ? m_engine->position() : m_restoredPosition;

    const auto renamed = m_library->renameFolder(folder, name);
    if (!renamed) {
        const QString text = Lf("重命名失败：%@", LibraryStore::describe(renamed.error()));
        setStatusMessage(text);
        return text;
    }
    if (const auto shown = m_selection.folderLocation(); shown && shown->standardized() == folder.standardized())
        select(LibrarySelection::folder(*renamed));
    republishLibrary();
    const QString text = Lf("已将文件夹重命名为「%@」。", renamed->standardized().fileNameText());
    setStatusMessage(text);
    if (playsFromFolder && m_currentTrack)
        reloadAfterFolderRename(*m_currentTrack, wasPlaying, position);
    surfacePersistenceError();
    return text;
}

// The engine takes the file a resume would play: the moved file itself for a native format, else
// its cached conversion; with neither, whatever the engine holds keeps playing.
void AppModel::reloadAfterFolderRename(const Track &track, bool wasPlaying, double position)
{
    const std::optional<FileLocation> file = PlayableFile::forTrack(track, *m_transcode);
    if (!file)
        return;
    if (!m_engine->load(*file)) {
        const QString error = m_engine->lastError().isEmpty() ? L("未知错误") : m_engine->lastError();
        setStatusMessage(Lf("文件夹已重命名，但无法重新加载《%@》：%@", track.title, error));
        return;
    }
    if (position > 0)
        m_engine->seek(position);
    if (wasPlaying)
        m_engine->play();
}

QString AppModel::relocateTrack(const Track &track, const FileLocation &file)
{
    m_library->updateTrackURLs({{track.url, file}});
    m_library->ensureFoldersCovering({file.standardized().deletingLastPathComponent()});
    republishLibrary();
    return reportUnlessSaveFailed(Lf("已重新定位《%@》：%@", track.title, file.fileNameText()));
}

QString AppModel::removeTracksFromLibrary(const QList<QUuid> &trackIDs)
{
    const QSet<QUuid> ids(trackIDs.cbegin(), trackIDs.cend());
    if (ids.isEmpty())
        return {};
    if (const auto refused = refusalWhileScanning())
        return *refused;
    const std::optional<Track> single = ids.size() == 1 ? trackWithID(*ids.cbegin()) : std::nullopt;
    m_library->removeTracks(ids);
    republishLibrary();
    return reportUnlessSaveFailed(single ? Lf("已从音乐库移除《%@》，文件仍保留在磁盘上。", single->title)
                                         : Lf("已从音乐库移除 %d 首歌曲，文件仍保留在磁盘上。", ids.size()));
}

QString AppModel::removeMissingTracks()
{
    if (const auto refused = refusalWhileScanning())
        return *refused;
    m_library->removeMissingTracks();
    republishLibrary();
    return reportUnlessSaveFailed(L("已移除缺失文件条目。"));
}

QList<Track> AppModel::visibleTracksWithIDs(const QList<QUuid> &trackIDs) const
{
    const QSet<QUuid> wanted(trackIDs.cbegin(), trackIDs.cend());
    QList<Track> tracks;
    for (const Track &track : visibleTracks()) {
        if (wanted.contains(track.id))
            tracks.append(track);
    }
    return tracks;
}

// ---- end of import, scan and folder commands ----

// ---- Tag edits ----

void AppModel::beginTagEdit(const QList<QUuid> &trackIDs)
{
    QList<Track> tracks = visibleTracksWithIDs(trackIDs);
    if (!tracks.isEmpty())
        setTagEditorRequest(TagEditorRequest{QUuid::createUuid(), std::move(tracks)});
}

QFuture<std::optional<QString>> AppModel::applyTagEdit(const TagFields &fields, const QList<Track> &tracks)
{
    if (tracks.isEmpty())
        return QtFuture::makeReadyFuture(std::optional<QString>(L("没有选择歌曲。")));
    const std::optional<FileJobRunner::JobID> job = m_fileJobs->begin(Lf("正在写入 0/%d…", tracks.size()));
    if (!job)
        return QtFuture::makeReadyFuture(std::optional<QString>(L("已有文件操作正在进行。")));

    auto promise = std::make_shared<QPromise<std::optional<QString>>>();
    promise->start();
    const auto finished = [this, job = *job, promise](const TagEditJob::Outcome &outcome) {
        m_fileJobs->finish(job);
        promise->addResult(finishTagEdit(outcome));
        promise->finish();
    };
    std::make_shared<TagEditJob>(*m_fileJobs, *job, m_environment.makeTagIO(), *m_tagUndoStore, m_environment.clock,
                                 fields, tracks, finished)
        ->start();
    return promise->future();
}

std::optional<QString> AppModel::finishTagEdit(const TagEditJob::Outcome &outcome)
{
    setTagUndoCount(int(m_tagUndoStore->entries().size()));
    const int changed = int(outcome.written.size());
    if (changed > 0) {
        updateIndex(outcome.written);
        refreshFromLibrary();
    }
    QStringList failures = outcome.failures;
    if (outcome.undoFailures > 0)
        failures.append(Lf("%d 首的撤销记录保存失败", outcome.undoFailures));

    std::optional<QString> text;
    if (!failures.isEmpty())
        text = Lf("已更新 %d 首，%d 项失败：%@", changed, failures.size(), failures.first(std::min<qsizetype>(2, failures.size())).join(L("；")));
    if (changed > 0) {
        if (std::optional<QString> saveError = persistenceErrorText())
            text = saveError;
    }
    if (text)
        setStatusMessage(text);
    else
        setStatusMessage(changed == 0 ? L("没有需要修改的标签。") : Lf("已更新 %d 首歌曲的标签。", changed));
    return text;
}

void AppModel::updateIndex(const QList<WrittenTags> &written)
{
    m_library->applyTrackEdits(TagIndexUpdate::edits(m_library->index().tracks, written));
}

QFuture<QString> AppModel::undoLastTagEdit()
{
    // Rewriting a file that a running job writes or moves has no defined outcome.
    const std::optional<FileJobRunner::JobID> job = m_fileJobs->begin(L("正在撤销标签编辑…"));
    if (!job) {
        const QString text = L("已有文件操作正在进行。");
        setStatusMessage(text);
        return QtFuture::makeReadyFuture(text);
    }
    using Undone = std::expected<std::optional<TagUndoEntry>, TagEditUndoError>;
    auto promise = std::make_shared<QPromise<QString>>();
    promise->start();
    // The journal is touched only by file jobs while one runs, and one runs at a time.
    m_fileJobs->run<Undone>(
        [store = m_tagUndoStore.get(), tags = m_environment.makeTagIO()] {
            return store->undoLast(
                [&tags](const TagFields &fields, const FileLocation &file) { return tags->write(fields, file); });
        },
        {},
        [this, job = *job, promise](const Undone &undone) {
            m_fileJobs->finish(job);
            promise->addResult(finishTagUndo(undone));
            promise->finish();
        });
    return promise->future();
}

QString AppModel::finishTagUndo(const std::expected<std::optional<TagUndoEntry>, TagEditUndoError> &undone)
{
    setTagUndoCount(int(m_tagUndoStore->entries().size()));
    if (!undone) {
        const QString text = Lf("撤销失败：%@", undone.error().description());
        setStatusMessage(text);
        return text;
    }
    if (!*undone) {
        const QString text = L("没有可撤销的标签编辑。");
        setStatusMessage(text);
        return text;
    }
    const TagUndoEntry &entry = **undone;
    const bool artworkChanged = entry.before.artworkBase64 != entry.after.artworkBase64;
    updateIndex({TagIndexUpdate::describe(entry.url, entry.before, artworkChanged, *m_environment.files)});
    refreshFromLibrary();
    return reportUnlessSaveFailed(Lf("已撤销对《%@》的标签编辑。", entry.url.fileNameText()));
}

QString AppModel::clearTagUndoHistory()
{
    QString text;
    if (m_fileJobs->isBusy()) {
        text = L("已有文件操作正在进行。");
    } else if (const auto cleared = m_tagUndoStore->clear(); !cleared) {
        text = Lf("清空编辑撤销记录失败：%@", cleared.error().text());
    } else {
        setTagUndoCount(0);
        text = L("已清空编辑撤销记录。");
    }
    setStatusMessage(text);
    return text;
}

void AppModel::promptRepairMojibake(const QList<QUuid> &trackIDs)
{
    const QList<Track> tracks = visibleTracksWithIDs(trackIDs);
    if (tracks.isEmpty()) {
        setStatusMessage(L("没有选择歌曲。"));
        return;
    }
    const std::optional<FileJobRunner::JobID> job = m_fileJobs->begin(Lf("正在检查乱码 0/%d…", tracks.size()));
    if (!job) {
        setStatusMessage(L("已有文件操作正在进行。"));
        return;
    }
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_fileJobs->run<QList<MojibakeRepairCandidate>>(
        [tags = m_environment.makeTagIO(), tracks, stop, post = m_fileJobs->progressPoster(*job)] {
            QList<MojibakeRepairCandidate> candidates;
            for (qsizetype index = 0; index < tracks.size() && !*stop; ++index) {
                if (std::optional<MojibakeRepairCandidate> candidate = MojibakeScan::examine(*tags, tracks.at(index)))
                    candidates.append(std::move(*candidate));
                post(Lf("正在检查乱码 %d/%d…", index + 1, tracks.size()));
            }
            return candidates;
        },
        [stop] { *stop = true; },
        [this, job = *job, stop](const QList<MojibakeRepairCandidate> &candidates) {
            m_fileJobs->finish(job);
            if (*stop)
                return;
            if (candidates.isEmpty())
                setStatusMessage(L("没有检测到可修复的乱码标签。"));
            else
                confirmMojibakeRepair(candidates);
        });
}

void AppModel::confirmMojibakeRepair(const QList<MojibakeRepairCandidate> &candidates)
{
    if (m_environment.prompts->confirm(Lf("修复 %d 首歌曲的乱码标签？", candidates.size()),
                                       MojibakeScan::confirmationDetails(candidates), L("修复")))
        repairMojibake(candidates, 0, {});
}

// One single-file tag edit after the other, each journalled on its own.
void AppModel::repairMojibake(const QList<MojibakeRepairCandidate> &candidates, qsizetype next,
                              const QStringList &failures)
{
    if (next == candidates.size()) {
        if (failures.isEmpty())
            setStatusMessage(Lf("已修复 %d 首歌曲的乱码标签。", candidates.size()));
        else
            setStatusMessage(Lf("已尝试修复 %d 首，%d 项失败：%@", candidates.size(), failures.size(),
                                failures.first(std::min<qsizetype>(2, failures.size())).join(L("；"))));
        return;
    }
    const MojibakeRepairCandidate &candidate = candidates.at(next);
    auto *edit = new QFutureWatcher<std::optional<QString>>(this);
    connect(edit, &QFutureWatcher<std::optional<QString>>::finished, this, [this, edit, candidates, next, failures] {
        edit->deleteLater();
        QStringList updated = failures;
        if (const std::optional<QString> failure = edit->result())
            updated.append(*failure);
        repairMojibake(candidates, next + 1, updated);
    });
    edit->setFuture(applyTagEdit(candidate.fields, {candidate.track}));
}

// ---- end of tag edits ----

// ---- Organising ----

void AppModel::beginOrganize(const QList<QUuid> &trackIDs)
{
    QList<Track> tracks = visibleTracksWithIDs(trackIDs);
    tracks.removeIf([](const Track &track) { return track.isMissing; });
    if (tracks.isEmpty()) {
        setStatusMessage(L("没有可整理的歌曲。"));
        return;
    }
    setOrganizerRequest(OrganizerRequest{QUuid::createUuid(), std::move(tracks)});
}

QFuture<std::optional<QString>> AppModel::performOrganize(const QList<OrganizePlanItem> &plan, bool copy,
                                                          const FileLocation &destinationRoot)
{
    if (plan.isEmpty())
        return QtFuture::makeReadyFuture(std::optional<QString>(L("没有需要整理的文件。")));
    const std::optional<FileJobRunner::JobID> job = m_fileJobs->begin(Lf("正在整理 0/%d…", plan.size()));
    if (!job)
        return QtFuture::makeReadyFuture(std::optional<QString>(L("已有文件操作正在进行。")));

    auto promise = std::make_shared<QPromise<std::optional<QString>>>();
    promise->start();
    FileOrganizer *organizer = m_organizer.get();
    using Result = std::expected<void, OrganizeError>;
    m_fileJobs->run<Result>(
        [organizer, plan, copy, post = m_fileJobs->progressPoster(*job)] {
            return organizer->apply(plan, copy, [post](int done, int total) { post(Lf("正在整理 %d/%d…", done, total)); });
        },
        [organizer] { organizer->stopBeforeNextItem(); },
        [this, job = *job, promise, plan, copy, destinationRoot](const Result &result) {
            m_fileJobs->finish(job);
            promise->addResult(finishOrganize(result, plan, copy, destinationRoot));
            promise->finish();
        });
    return promise->future();
}

std::optional<QString> AppModel::finishOrganize(const std::expected<void, OrganizeError> &result,
                                                const QList<OrganizePlanItem> &plan, bool copy,
                                                const FileLocation &destinationRoot)
{
    if (result) {
        pointTracksAtDestinations(plan, destinationRoot);
        setOrganizeUndoCount(int(m_organizer->undo().entries().size()));
        setStatusMessage(copy ? Lf("已复制 %d 个文件。", plan.size())
                              : Lf("已移动 %d 个文件，可用「撤销上次整理」恢复。", plan.size()));
        surfacePersistenceError();
        return std::nullopt;
    }
    const OrganizeError &error = result.error();
    const bool partlyApplied =
        error.kind() == OrganizeError::Kind::ApplyFailed || error.kind() == OrganizeError::Kind::Interrupted;
    if (partlyApplied && !error.items().isEmpty())
        pointTracksAtDestinations(error.items(), destinationRoot);
    setOrganizeUndoCount(int(m_organizer->undo().entries().size()));
    const QString text = error.text();
    setStatusMessage(text);
    surfacePersistenceError();
    return text;
}

void AppModel::pointTracksAtDestinations(const QList<OrganizePlanItem> &items, const FileLocation &destinationRoot)
{
    m_library->updateTrackURLs(OrganizeURLMapping::apply(items));
    refreshFromLibrary();
    m_library->ensureFoldersCovering({destinationRoot});
    emit changed();
}

QString AppModel::undoLastOrganize()
{
    QString text;
    if (m_fileJobs->isBusy()) {
        text = L("正在整理，请稍后再撤销。");
        setStatusMessage(text);
        return text;
    }
    const QList<OrganizeUndoEntry> &entries = m_organizer->undo().entries();
    const std::optional<OrganizeUndoEntry> newest =
        entries.isEmpty() ? std::nullopt : std::optional(entries.last());
    const bool copy = newest && newest->copy;

    const OrganizeUndoStore::UndoResult undone = m_organizer->undoLast();
    bool repointed = false;
    if (undone && !*undone) {
        text = L("没有可撤销的整理。");
    } else if (undone) {
        const QList<OrganizePlanItem> &items = **undone;
        restoreTrackURLs(items);
        repointed = !items.isEmpty();
        setOrganizeUndoCount(int(m_organizer->undo().entries().size()));
        const qsizetype count = items.size();
        if (copy)
            text = count > 0 ? Lf("已删除 %d 个副本，原文件保留。", count) : L("没有可删除的副本。");
        else
            text = count > 0 ? Lf("已恢复 %d 个文件到原位置。", count) : L("没有可恢复的文件。");
    } else {
        const OrganizeError &error = undone.error();
        setOrganizeUndoCount(int(m_organizer->undo().entries().size()));
        text = error.text();
        if (error.kind() == OrganizeError::Kind::UndoFailed && !error.items().isEmpty()) {
            restoreTrackURLs(error.items());
            repointed = true;
            text += Lf("（已恢复 %d 个文件，其余保留在目标位置）", error.items().size());
        } else if (error.kind() == OrganizeError::Kind::File && newest) {
            // Every file came back, only the journal could not be saved: the library follows
            // the files that are back at their sources all the same.
            QList<OrganizePlanItem> back;
            for (const OrganizePlanItem &item : newest->items) {
                if (m_environment.files->exists(item.source) && !m_environment.files->exists(item.destination))
                    back.append(item);
            }
            restoreTrackURLs(back);
            repointed = !back.isEmpty();
        }
    }
    if (repointed)
        return reportUnlessSaveFailed(text);
    setStatusMessage(text);
    return text;
}

void AppModel::restoreTrackURLs(const QList<OrganizePlanItem> &items)
{
    if (items.isEmpty())
        return;
    m_library->updateTrackURLs(OrganizeURLMapping::undo(items));
    QList<FileLocation> folders;
    for (const OrganizePlanItem &item : items) {
        const FileLocation folder = item.source.standardized().deletingLastPathComponent();
        if (folder.path() != "/")
            folders.append(folder);
    }
    m_library->ensureFoldersCovering(folders);
    refreshFromLibrary();
}

// ---- end of organising ----

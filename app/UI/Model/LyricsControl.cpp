#include "LyricsControl.h"

#include "AppModel.h"

#include "Localization.h"
#include "Lyrics/LRCParser.h"
#include "Lyrics/LyricsFile.h"

#include <QtConcurrent>

LyricsControl::LyricsControl(AppModel &model) : m_model(model)
{
}

LyricsControl::~LyricsControl()
{
    cancelResolution();
}

void LyricsControl::cancelResolution()
{
    if (!m_resolution)
        return;
    m_resolution->cancel();
    m_resolution->deleteLater();
    m_resolution = nullptr;
}

void LyricsControl::loadLyrics(const std::optional<Track> &track)
{
    cancelResolution();
    if (m_pendingRestoreTrackID && (!track || track->id != *m_pendingRestoreTrackID))
        m_pendingRestoreTrackID.reset();

    LyricsDisplayState state = m_model.m_lyricsState;
    if (!track || track->isMissing) {
        state.beginLoading(std::nullopt);
        m_model.setLyricsState(state);
        m_model.setCurrentLyricLineIndex(std::nullopt);
        return;
    }
    // Resolving the same track again keeps its lyrics and line on show until the new result.
    const bool sameTrack = state.trackID == track->id;
    state.beginLoading(track->id);
    m_model.setLyricsState(state);
    if (!sameTrack)
        m_model.setCurrentLyricLineIndex(std::nullopt);

    // A changed setting takes effect with the next resolution.
    m_model.m_lyricsResolver->setOnlineEnabled(m_model.library().settings().onlineLyricsEnabled);
    using Watcher = QFutureWatcher<std::optional<ResolvedLyrics>>;
    auto *resolution = new Watcher(this);
    m_resolution = resolution;
    connect(resolution, &Watcher::finished, this, [this, resolution, id = track->id] {
        if (m_resolution != resolution)
            return;
        m_resolution = nullptr;
        resolution->deleteLater();
        const std::optional<Track> &current = m_model.m_currentTrack;
        if (resolution->isCanceled() || resolution->future().resultCount() == 0 || !current || current->id != id)
            return;
        const std::optional<ResolvedLyrics> result = resolution->result();
        show(result, id);
        if (m_pendingRestoreTrackID == id) {
            m_pendingRestoreTrackID.reset();
            m_model.setStatusMessage(result ? L("已恢复自动匹配") : L("已恢复自动匹配，但未找到歌词"));
        }
    });
    resolution->setFuture(m_model.m_lyricsResolver->resolve(*track));
}

void LyricsControl::show(const std::optional<ResolvedLyrics> &result, const QUuid &trackID)
{
    LyricsDisplayState state = m_model.m_lyricsState;
    state.apply(result, trackID);
    m_model.setLyricsState(state);
    m_model.setCurrentLyricLineIndex(std::nullopt);
    updateCurrentLyricLine(m_model.engine().position());
}

void LyricsControl::updateCurrentLyricLine(double position)
{
    const std::optional<Lyrics> &lyrics = m_model.m_lyricsState.lyrics;
    m_model.setCurrentLyricLineIndex(lyrics ? lyrics->index(position) : std::nullopt);
}

std::optional<QString> LyricsControl::currentLyricText() const
{
    const std::optional<Lyrics> &lyrics = m_model.m_lyricsState.lyrics;
    if (!lyrics || lyrics->lines.isEmpty())
        return std::nullopt;
    if (!lyrics->isSynced)
        return lyrics->lines.constFirst().text;
    const qsizetype index = m_model.m_currentLyricLineIndex.value_or(0);
    if (index < 0 || index >= lyrics->lines.size())
        return std::nullopt;
    return lyrics->lines.at(index).text;
}

std::optional<QString> LyricsControl::nextLyricText() const
{
    const std::optional<Lyrics> &lyrics = m_model.m_lyricsState.lyrics;
    if (!lyrics || !lyrics->isSynced || lyrics->lines.isEmpty())
        return std::nullopt;
    const qsizetype index = m_model.m_currentLyricLineIndex.value_or(0) + 1;
    if (index < 0 || index >= lyrics->lines.size())
        return std::nullopt;
    return lyrics->lines.at(index).text;
}

bool LyricsControl::hasLyricsOverride() const
{
    return m_model.m_lyricsState.origin == LyricsOrigin::Override;
}

bool LyricsControl::canRetryLyrics() const
{
    return m_model.m_currentTrack && !m_model.m_lyricsState.lyrics && !m_model.m_lyricsState.isResolving;
}

// The file is read, parsed and saved as the override off the GUI thread; the override belongs to
// the track that was current when the user chose the file, whatever plays by then.
void LyricsControl::promptImportLyrics()
{
    if (!m_model.m_currentTrack) {
        m_model.setStatusMessage(L("先播放一首歌曲，再导入歌词。"));
        return;
    }
    const QUuid targetID = m_model.m_currentTrack->id;
    const std::optional<FileLocation> chosen = m_model.m_environment.prompts->chooseFile(
        L("选择 .lrc 或 .txt 歌词文件"), {QStringLiteral("lrc"), QStringLiteral("txt")});
    if (!chosen)
        return;

    auto *importing = new QFutureWatcher<Import>(this);
    connect(importing, &QFutureWatcher<Import>::finished, this, [this, importing, targetID] {
        importing->deleteLater();
        finishImport(importing->result(), targetID);
    });
    importing->setFuture(QtConcurrent::run(
        [file = *chosen, files = m_model.m_environment.files, cache = *m_model.m_lyricsCache, targetID]() -> Import {
            const std::optional<QByteArray> bytes = LyricsFile::read(*files, file);
            const std::optional<QString> text = bytes ? LyricsFile::decodeText(*bytes) : std::nullopt;
            if (!text)
                return {std::nullopt, L("无法读取歌词文件。")};
            const Lyrics lyrics = file.pathExtension().toLower() == QLatin1String("lrc")
                ? LRCParser::parse(*text)
                : LRCParser::parsePlainText(*text);
            if (lyrics.lines.isEmpty())
                return {std::nullopt, L("歌词文件没有可用内容。")};
            if (const auto saved = cache.saveOverride(lyrics, targetID); !saved)
                return {std::nullopt, Lf("无法保存歌词：%@", saved.error().text())};
            return {ResolvedLyrics{lyrics, LyricsOrigin::Override, file}, {}};
        }));
}

void LyricsControl::finishImport(const Import &import, const QUuid &targetID)
{
    if (!import.lyrics) {
        m_model.setStatusMessage(import.failure);
        return;
    }
    const std::optional<Track> &current = m_model.m_currentTrack;
    if (!current || current->id != targetID) {
        loadLyrics(current);
        return;
    }
    cancelResolution();
    show(import.lyrics, targetID);
    m_model.setStatusMessage(L("已导入歌词"));
}

void LyricsControl::restoreAutomaticLyrics()
{
    const std::optional<Track> current = m_model.m_currentTrack;
    if (!current)
        return;
    if (const auto removed = m_model.m_lyricsCache->removeOverride(current->id); !removed) {
        m_model.setStatusMessage(Lf("无法清除歌词覆盖：%@", removed.error().text()));
        return;
    }
    m_pendingRestoreTrackID = current->id;
    loadLyrics(current);
}

void LyricsControl::retryLyrics()
{
    if (m_model.m_currentTrack)
        loadLyrics(m_model.m_currentTrack);
}

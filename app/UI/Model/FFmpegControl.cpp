#include "FFmpegControl.h"

#include "AppModel.h"
#include "PlaybackControl.h"

#include "Library/AudioFormatSupport.h"
#include "Localization.h"
#include "Transcode/FFmpegLocator.h"
#include "Transcode/FFprobeReader.h"
#include "Transcode/TranscodeCache.h"

#include <QFutureWatcher>
#include <QLocale>
#include <QPromise>
#include <QPointer>
#include <QtConcurrent>

namespace {

struct ProbeCandidate
{
    QUuid trackID;
    FileLocation file;
};

using Durations = QHash<QUuid, double>;

} // namespace

FFmpegControl::FFmpegControl(AppModel &model) : m_model(model)
{
    m_probes.setMaxThreadCount(1);
    m_probes.setThreadPriority(QThread::LowPriority);
    m_clearing.setMaxThreadCount(1);
}

std::optional<FileLocation> FFmpegControl::locate() const
{
    const AppModelEnvironment &environment = m_model.m_environment;
    return FFmpegLocator::find(m_model.library().settings().ffmpegPath, environment.processEnvironment,
                               environment.ffmpegFixedDirectories);
}

void FFmpegControl::prepareLibraryFormats()
{
    const std::optional<FileLocation> ffmpeg = locate();
    if (!ffmpeg)
        return;
    m_model.transcode().updateFFmpeg(ffmpeg);
    for (const Track &track : m_model.tracks()) {
        if (!track.isMissing && !AudioFormatSupport::isNative(track.url))
            m_model.transcode().enqueue(track, false);
    }
    fillDurations(*ffmpeg);
    measureCache();
}

void FFmpegControl::fillDurations(const FileLocation &ffmpeg)
{
    QList<ProbeCandidate> candidates;
    for (const Track &track : m_model.tracks()) {
        if (track.isMissing || track.duration > 0 || AudioFormatSupport::isNative(track.url))
            continue;
        const FileLocation file = track.url.standardized();
        if (m_probing.contains(file))
            continue;
        m_probing.insert(file);
        candidates.append({track.id, file});
    }
    if (candidates.isEmpty())
        return;

    auto *probe = new QFutureWatcher<Durations>(this);
    connect(probe, &QFutureWatcher<Durations>::finished, this, [this, probe, candidates] {
        probe->deleteLater();
        for (const ProbeCandidate &candidate : candidates)
            m_probing.remove(candidate.file);
        const Durations durations = probe->result();
        if (durations.isEmpty())
            return;
        m_model.library().updateDurations(durations);
        m_model.refreshFromLibrary();
    });
    probe->setFuture(QtConcurrent::run(&m_probes, [candidates, ffmpeg,
                                                    environment = m_model.m_environment.processEnvironment] {
        Durations durations;
        for (const ProbeCandidate &candidate : candidates) {
            if (const std::optional<double> seconds = FFprobeReader::duration(candidate.file, ffmpeg, environment))
                durations.insert(candidate.trackID, *seconds);
        }
        return durations;
    }));
}

void FFmpegControl::measureCache()
{
    const quint64 measurement = ++m_measurement;
    auto *measuring = new QFutureWatcher<qint64>(this);
    connect(measuring, &QFutureWatcher<qint64>::finished, this, [this, measuring, measurement] {
        measuring->deleteLater();
        if (measurement == m_measurement)
            m_model.setTranscodeCacheBytes(measuring->result());
    });
    measuring->setFuture(
        QtConcurrent::run([root = m_model.m_transcodeRoot] { return TranscodeCache::directorySize(root); }));
}

QString FFmpegControl::ffmpegPathText() const
{
    const std::optional<FileLocation> ffmpeg = locate();
    return ffmpeg ? ffmpeg->displayPath() : L("未找到");
}

QString FFmpegControl::transcodeCacheSizeText() const
{
    return sizeText(m_model.transcodeCacheBytes());
}

QString FFmpegControl::sizeText(qint64 bytes)
{
    if (bytes < 1)
        return L("0 MB");
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QFuture<QString> FFmpegControl::clearTranscodeCache()
{
    struct Clearing
    {
        qint64 before = 0;
        qint64 after = 0;
        std::expected<void, TranscodeError> cleared;
    };
    auto promise = std::make_shared<QPromise<QString>>();
    promise->start();
    auto *clearing = new QFutureWatcher<Clearing>(this);
    connect(clearing, &QFutureWatcher<Clearing>::finished, this, [this, clearing, promise] {
        clearing->deleteLater();
        const Clearing done = clearing->result();
        QString text;
        if (done.cleared) {
            ++m_measurement; // a measurement still running saw the cache before it was cleared
            m_model.setTranscodeCacheBytes(done.after);
            text = Lf("已清理转码缓存（%@）。", sizeText(done.before));
        } else if (const QString reason = done.cleared.error().description();
                   reason == L("正在准备歌曲，请稍后再清理缓存。")) {
            text = reason;
        } else {
            // The queue passes the file system's own message when removing or recreating failed.
            text = Lf("清理转码缓存失败：%@", reason);
        }
        m_model.setStatusMessage(text);
        promise->addResult(text);
        promise->finish();
    });
    // Measuring and removing a large cache takes a while: off the GUI thread, in a pool this
    // object waits for, so the queue outlives the work.
    clearing->setFuture(QtConcurrent::run(&m_clearing, [root = m_model.m_transcodeRoot, &transcode = m_model.transcode()] {
        Clearing done;
        done.before = TranscodeCache::directorySize(root);
        done.cleared = transcode.clearCache();
        if (done.cleared)
            done.after = TranscodeCache::directorySize(root);
        return done;
    }));
    return promise->future();
}

QString FFmpegControl::redetectFFmpeg()
{
    const std::optional<FileLocation> ffmpeg = locate();
    if (!ffmpeg) {
        m_model.setShowsFFmpegInstallPrompt(true);
        const QString text = Lf("仍未找到 FFmpeg，请先运行 %@。", installCommand);
        m_model.setStatusMessage(text);
        return text;
    }
    const QString text = Lf("已找到 FFmpeg：%@", ffmpeg->displayPath());
    useFFmpeg(*ffmpeg, text);
    return text;
}

std::optional<QString> FFmpegControl::chooseFFmpegPath()
{
    const std::optional<FileLocation> chosen = m_model.m_environment.prompts->chooseFile(L("选择 ffmpeg 可执行文件"), {});
    if (!chosen)
        return std::nullopt;
    if (!FFmpegLocator::isExecutableFile(*chosen)) {
        const QString refusal = L("所选文件不可执行，请选择 ffmpeg 可执行文件。");
        m_model.setStatusMessage(refusal);
        return refusal;
    }
    AppSettings settings = m_model.library().settings();
    settings.ffmpegPath = chosen->displayPath();
    // The write finishes off the GUI thread; a failure shows once it is known, after the status
    // below.
    m_model.saveSettings(settings, [model = QPointer<AppModel>(&m_model)](const SettingsWriter::Outcome &) {
        if (model)
            model->surfacePersistenceError();
    });
    const QString text = Lf("已使用 FFmpeg：%@", chosen->displayPath());
    useFFmpeg(*chosen, text);
    return text;
}

void FFmpegControl::useFFmpeg(const FileLocation &ffmpeg, const QString &status)
{
    m_model.transcode().updateFFmpeg(ffmpeg);
    m_model.setShowsFFmpegInstallPrompt(false);
    m_model.setStatusMessage(status);
    prepareLibraryFormats();
    m_model.m_playbackControl->retryPendingTranscode();
    emit m_model.changed();
}

void FFmpegControl::copyFFmpegInstallCommand()
{
    if (m_model.m_environment.shell)
        m_model.m_environment.shell->copyToClipboard(installCommand);
    m_model.setStatusMessage(Lf("已复制安装命令：%@", installCommand));
}

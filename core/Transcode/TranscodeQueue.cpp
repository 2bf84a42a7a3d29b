#include "TranscodeQueue.h"

#include "ChildProcess.h"
#include "Localization.h"
#include "MediaPathArgument.h"
#include "TranscodeCache.h"

#include <QMutexLocker>
#include <QPromise>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <vector>

namespace {

// Generous: a long DSD file converts in minutes; only a hung ffmpeg reaches this.
constexpr std::chrono::minutes conversionTimeLimit{30};
// Enough bytes of standard error for the 300 characters shown.
constexpr qsizetype standardErrorLimit = 16 * 1024;
constexpr int detailCharacters = 300;

// The last `count` user-perceived characters of the text.
QString lastCharacters(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    for (int i = 0; i < count; ++i) {
        if (finder.toPreviousBoundary() <= 0)
            return text;
    }
    return text.mid(finder.position());
}

// "：" and the end of ffmpeg's standard error; empty when there is no valid UTF-8 text.
QString failureDetail(const QByteArray &standardError, bool truncated)
{
    qsizetype start = 0;
    // A cut tail may begin inside a character.
    while (truncated && start < standardError.size() && (uchar(standardError.at(start)) & 0xC0) == 0x80)
        ++start;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder.decode(QByteArrayView(standardError).sliced(start))).trimmed();
    if (decoder.hasError() || text.isEmpty())
        return {};
    return QStringLiteral("：") + lastCharacters(text, detailCharacters);
}

TranscodeError stoppedError()
{
    return TranscodeError::failed(L("转码已停止"));
}

} // namespace

struct TranscodeQueue::Job
{
    Track track;
    std::vector<QPromise<TranscodeResult>> waiters; // answered once each, in this order
    bool isPriority = false;

    void answer(const TranscodeResult &result)
    {
        for (QPromise<TranscodeResult> &waiter : waiters) {
            waiter.addResult(result);
            waiter.finish();
        }
        waiters.clear();
    }
};

TranscodeQueue::TranscodeQueue(const FileLocation &cacheRoot, std::optional<FileLocation> ffmpeg,
                               FileOperations &files)
    : m_cacheRoot(MediaPathArgument::absolute(cacheRoot)), m_files(files), m_ffmpeg(std::move(ffmpeg))
{
    m_worker.setMaxThreadCount(1);
    (void)m_files.createDirectories(m_cacheRoot);
}

TranscodeQueue::~TranscodeQueue()
{
    m_stop.request_stop();
    m_worker.waitForDone();
    QHash<QString, std::shared_ptr<Job>> unfinished;
    {
        QMutexLocker locker(&m_lock);
        unfinished.swap(m_jobs);
        m_priorityKeys.clear();
        m_backgroundKeys.clear();
    }
    for (const std::shared_ptr<Job> &job : std::as_const(unfinished))
        job->answer(std::unexpected(stoppedError()));
}

bool TranscodeQueue::isProcessing() const
{
    QMutexLocker locker(&m_lock);
    return m_activeKey.has_value();
}

void TranscodeQueue::updateFFmpeg(std::optional<FileLocation> ffmpeg)
{
    QMutexLocker locker(&m_lock);
    m_ffmpeg = std::move(ffmpeg);
}

QString TranscodeQueue::cacheKey(const Track &track) const
{
    return TranscodeCache::key(track.url, track.fileSize, track.modifiedAt, TranscodeCache::version);
}

std::optional<FileLocation> TranscodeQueue::cachedURL(const Track &track) const
{
    const FileLocation entry = TranscodeCache::cacheURL(track, m_cacheRoot);
    if (!m_files.exists(entry))
        return std::nullopt;
    return entry;
}

void TranscodeQueue::enqueue(const Track &track, bool priority)
{
    if (cachedURL(track))
        return;
    const QString key = cacheKey(track);
    {
        QMutexLocker locker(&m_lock);
        if (!m_ffmpeg)
            return;
        if (const std::shared_ptr<Job> job = m_jobs.value(key)) {
            if (priority)
                promoteLocked(key, *job);
        } else {
            m_jobs.insert(key, std::make_shared<Job>(Job{track, {}, priority}));
            (priority ? m_priorityKeys : m_backgroundKeys).append(key);
        }
    }
    startNextIfIdle();
}

QFuture<TranscodeResult> TranscodeQueue::ensureCached(const Track &track)
{
    if (const std::optional<FileLocation> cached = cachedURL(track))
        return QtFuture::makeReadyFuture(TranscodeResult(*cached));
    {
        QMutexLocker locker(&m_lock);
        if (!m_ffmpeg)
            return QtFuture::makeReadyFuture(TranscodeResult(std::unexpected(TranscodeError::ffmpegMissing())));
    }
    const QString key = cacheKey(track);
    QPromise<TranscodeResult> waiter;
    QFuture<TranscodeResult> future = waiter.future();
    waiter.start();
    {
        QMutexLocker locker(&m_lock);
        std::shared_ptr<Job> job = m_jobs.value(key);
        if (job) {
            promoteLocked(key, *job);
        } else {
            job = std::make_shared<Job>(Job{track, {}, true});
            m_jobs.insert(key, job);
            m_priorityKeys.append(key);
        }
        job->waiters.push_back(std::move(waiter));
    }
    startNextIfIdle();
    return future;
}

std::expected<void, TranscodeError> TranscodeQueue::clearCache()
{
    QMutexLocker locker(&m_lock);
    if (m_activeKey || !m_jobs.isEmpty())
        return std::unexpected(TranscodeError::failed(L("正在准备歌曲，请稍后再清理缓存。")));
    if (m_files.exists(m_cacheRoot)) {
        if (auto removed = m_files.remove(m_cacheRoot); !removed)
            return std::unexpected(TranscodeError::failed(removed.error().text()));
    }
    if (auto created = m_files.createDirectories(m_cacheRoot); !created)
        return std::unexpected(TranscodeError::failed(created.error().text()));
    return {};
}

void TranscodeQueue::promoteLocked(const QString &key, Job &job)
{
    if (job.isPriority)
        return;
    job.isPriority = true;
    m_backgroundKeys.removeAll(key);
    if (m_activeKey == key)
        return;
    m_priorityKeys.append(key);
}

void TranscodeQueue::startNextIfIdle()
{
    QMutexLocker locker(&m_lock);
    if (m_activeKey || m_stop.stop_requested())
        return;
    QString key;
    if (!m_priorityKeys.isEmpty())
        key = m_priorityKeys.first();
    else if (!m_backgroundKeys.isEmpty())
        key = m_backgroundKeys.first();
    else
        return;
    m_priorityKeys.removeAll(key);
    m_backgroundKeys.removeAll(key);
    // Set before the work is handed over, so no other caller starts a second conversion.
    m_activeKey = key;
    const Track track = m_jobs.value(key)->track;
    locker.unlock();
    m_worker.start([this, key, track] { run(key, track); });
}

void TranscodeQueue::run(const QString &key, const Track &track)
{
    TranscodeResult result;
    if (const std::optional<FileLocation> cached = cachedURL(track)) {
        result = *cached;
    } else {
        std::optional<FileLocation> ffmpeg;
        {
            QMutexLocker locker(&m_lock);
            ffmpeg = m_ffmpeg;
        }
        result = ffmpeg ? transcode(track, *ffmpeg) : std::unexpected(TranscodeError::ffmpegMissing());
    }
    std::shared_ptr<Job> job;
    {
        QMutexLocker locker(&m_lock);
        m_activeKey.reset();
        job = m_jobs.take(key);
    }
    if (job)
        job->answer(result);
    startNextIfIdle();
}

TranscodeResult TranscodeQueue::transcode(const Track &track, const FileLocation &ffmpeg)
{
    const FileLocation output = TranscodeCache::cacheURL(track, m_cacheRoot);
    const FileLocation temporary = output.withSuffix(".tmp.m4a");
    if (auto created = m_files.createDirectories(m_cacheRoot); !created)
        return std::unexpected(TranscodeError::failed(Lf("无法创建转码缓存目录：%@", created.error().text())));
    (void)m_files.remove(temporary);

    const auto input = MediaPathArgument::make(track.url, m_cacheRoot);
    if (!input)
        return std::unexpected(TranscodeError::failed(Lf("无法启动 FFmpeg：%@", input.error().text())));
    ChildProcess process(ffmpeg, {QStringLiteral("-y"), QStringLiteral("-i"), input->text(),
                                  QStringLiteral("-vn"), QStringLiteral("-c:a"), QStringLiteral("alac"),
                                  QString::fromUtf8(temporary.path())});
    process.keepOutput(ChildProcess::Channel::StandardError, standardErrorLimit);
    process.setTimeLimit(conversionTimeLimit);
    const ChildProcess::Result result = process.run(m_stop.get_token());

    switch (result.outcome) {
    case ChildProcess::Outcome::FailedToStart:
        return std::unexpected(TranscodeError::failed(Lf("无法启动 FFmpeg：%@", result.errorText)));
    case ChildProcess::Outcome::Stopped:
        (void)m_files.remove(temporary);
        return std::unexpected(stoppedError());
    case ChildProcess::Outcome::Exited:
    case ChildProcess::Outcome::TimedOut:
        break;
    }
    if (result.outcome != ChildProcess::Outcome::Exited || result.status != 0 || !m_files.exists(temporary)) {
        (void)m_files.remove(temporary);
        return std::unexpected(TranscodeError::failed(
            Lf("FFmpeg 转码失败（%d）%@", result.status, failureDetail(result.output, result.outputTruncated))));
    }
    if (auto moved = m_files.replace(temporary, output); !moved) {
        (void)m_files.remove(temporary);
        return std::unexpected(TranscodeError::failed(Lf("无法写入转码缓存：%@", moved.error().text())));
    }
    return output;
}

#include "LyricsService.h"

#include "LRCParser.h"
#include "LyricsFile.h"
#include "LyricsSidecar.h"

#include <QFutureWatcher>
#include <QMutex>
#include <QPromise>
#include <QThreadPool>

namespace {

using Outcome = std::optional<ResolvedLyrics>;

// One resolution in flight: its promise and the online request it waits for, so that cancelling
// the resolution reaches the request.
class Resolution
{
public:
    Resolution() { m_promise.start(); }

    QFuture<Outcome> future() const { return m_promise.future(); }
    bool isCanceled() const { return m_promise.isCanceled(); }

    void finish(Outcome outcome)
    {
        m_promise.addResult(std::move(outcome));
        m_promise.finish();
    }

    void setRequest(const QFuture<LyricsFetching::Result> &request)
    {
        QMutexLocker lock(&m_mutex);
        m_request = request;
        // Cancelled before the request started: nobody will cancel it later.
        if (m_promise.isCanceled())
            m_request.cancel();
    }

    void cancelRequest()
    {
        QMutexLocker lock(&m_mutex);
        m_request.cancel();
    }

private:
    QPromise<Outcome> m_promise;
    QMutex m_mutex;
    QFuture<LyricsFetching::Result> m_request;
};

Outcome withLines(const std::optional<Lyrics> &lyrics, LyricsOrigin origin,
    std::optional<FileLocation> source = std::nullopt)
{
    if (!lyrics || lyrics->lines.isEmpty())
        return std::nullopt;
    return ResolvedLyrics { *lyrics, origin, std::move(source) };
}

// The override, the sidecar and the cache, in that order.
Outcome resolveOnDisk(const LyricsCache &cache, const Track &track)
{
    if (Outcome found = withLines(cache.loadOverride(track.id), LyricsOrigin::Override))
        return found;
    if (const std::optional<FileLocation> sidecar = LyricsSidecar::find(track, cache.files())) {
        if (const std::optional<QString> text = LyricsService::readText(*sidecar, cache.files())) {
            if (Outcome found = withLines(LRCParser::parse(*text), LyricsOrigin::Sidecar, *sidecar))
                return found;
        }
    }
    return withLines(cache.load(track.title, track.artist, track.duration), LyricsOrigin::Online);
}

// A fetched result with lines is cached (a failed save changes nothing) and returned.
Outcome rememberFetched(const LyricsCache &cache, const Track &track, const LyricsFetching::Result &result)
{
    if (!result)
        return std::nullopt;
    Outcome found = withLines(*result, LyricsOrigin::Online);
    if (found)
        (void)cache.save(found->lyrics, track.title, track.artist, track.duration);
    return found;
}

} // namespace

LyricsService::LyricsService(LyricsCache cache, std::shared_ptr<const LyricsFetching> client)
    : m_cache(std::move(cache))
    , m_client(std::move(client))
{
}

QFuture<std::optional<ResolvedLyrics>> LyricsService::resolve(const Track &track) const
{
    auto resolution = std::make_shared<Resolution>();
    QFuture<Outcome> future = resolution->future();

    // The watcher lives on the calling thread and passes a cancellation on to the request.
    auto *watcher = new QFutureWatcher<Outcome>();
    QObject::connect(watcher, &QFutureWatcherBase::canceled, watcher, [weak = std::weak_ptr(resolution)] {
        if (const auto resolution = weak.lock())
            resolution->cancelRequest();
    });
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, &QObject::deleteLater);
    watcher->setFuture(future);

    const std::shared_ptr<const LyricsFetching> client = m_onlineEnabled ? m_client : nullptr;
    QThreadPool::globalInstance()->start([resolution, track, cache = m_cache, client] {
        if (Outcome found = resolveOnDisk(cache, track))
            return resolution->finish(std::move(found));
        if (!client || track.title.trimmed().isEmpty() || resolution->isCanceled())
            return resolution->finish(std::nullopt);
        QFuture<LyricsFetching::Result> request = client->fetch(track.title, track.artist, track.duration);
        resolution->setRequest(request);
        request
            .then(QThreadPool::globalInstance(),
                [resolution, track, cache](const LyricsFetching::Result &result) {
                    resolution->finish(rememberFetched(cache, track, result));
                })
            .onCanceled([resolution] { resolution->finish(std::nullopt); });
    });
    return future;
}

std::optional<QString> LyricsService::readText(const FileLocation &file, FileOperations &files)
{
    const std::optional<QByteArray> bytes = LyricsFile::read(files, file);
    if (!bytes)
        return std::nullopt;
    return LyricsFile::decodeText(*bytes);
}

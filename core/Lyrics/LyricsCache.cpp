#include "LyricsCache.h"

#include "LyricsDuration.h"
#include "LyricsFile.h"

#include "Storage/JsonFields.h"
#include "Storage/JsonFile.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// The stored form of lyrics: {"isSynced": bool, "lines": [{"time": number, "text": string}]}.
std::expected<QByteArray, QString> encode(const Lyrics &lyrics)
{
    QJsonArray lines;
    for (const LyricLine &line : lyrics.lines) {
        if (!std::isfinite(line.time))
            return std::unexpected(QStringLiteral("a line time is not a finite number"));
        lines.append(
            QJsonObject { { QLatin1String("time"), line.time }, { QLatin1String("text"), line.text } });
    }
    const QJsonObject object { { QLatin1String("isSynced"), lyrics.isSynced },
        { QLatin1String("lines"), lines } };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::expected<LyricLine, QString> decodeLine(const QJsonValue &value)
{
    JsonFields fields(value);
    LyricLine line;
    line.time = fields.number(QLatin1String("time"));
    line.text = fields.string(QLatin1String("text"));
    if (!fields.ok())
        return std::unexpected(fields.error());
    return line;
}

std::optional<Lyrics> decode(const QByteArray &bytes)
{
    const std::expected<QJsonValue, QString> json = JsonFile::parse(bytes);
    if (!json)
        return std::nullopt;
    JsonFields fields(*json);
    Lyrics lyrics;
    lyrics.isSynced = fields.boolean(QLatin1String("isSynced"));
    lyrics.lines = fields.list<LyricLine>(QLatin1String("lines"), decodeLine);
    if (!fields.ok())
        return std::nullopt;
    return lyrics;
}

// Title and artist trimmed and lower-cased, so that spelling variants share one entry.
QString keyPart(const QString &text)
{
    return text.trimmed().toLower();
}

} // namespace

LyricsCache::LyricsCache(FileLocation directory, FileOperations &files)
    : m_directory(std::move(directory))
    , m_files(&files)
{
}

std::optional<Lyrics> LyricsCache::load(const QString &title, const QString &artist, double duration) const
{
    const std::optional<FileLocation> file = entryURL(title, artist, duration);
    if (!file)
        return std::nullopt;
    return read(*file);
}

std::expected<void, FileError> LyricsCache::save(
    const Lyrics &lyrics, const QString &title, const QString &artist, double duration) const
{
    const std::optional<FileLocation> file = entryURL(title, artist, duration);
    if (!file)
        return std::unexpected(FileError::withDetail(
            QStringLiteral("save lyrics"), m_directory, QStringLiteral("the duration names no cache entry")));
    return write(lyrics, *file);
}

std::optional<Lyrics> LyricsCache::loadOverride(const QUuid &trackID) const
{
    return read(overrideURL(trackID));
}

std::expected<void, FileError> LyricsCache::saveOverride(const Lyrics &lyrics, const QUuid &trackID) const
{
    return write(lyrics, overrideURL(trackID));
}

std::expected<void, FileError> LyricsCache::removeOverride(const QUuid &trackID) const
{
    const FileLocation file = overrideURL(trackID);
    if (!m_files->exists(file))
        return {};
    return m_files->remove(file);
}

FileLocation LyricsCache::overrideURL(const QUuid &trackID) const
{
    return m_directory.appending(
        QStringLiteral("override-") + Json::uuidText(trackID) + QStringLiteral(".json"));
}

std::optional<FileLocation> LyricsCache::entryURL(
    const QString &title, const QString &artist, double duration) const
{
    const std::optional<qint64> seconds = LyricsDuration::roundedSeconds(duration);
    if (!seconds)
        return std::nullopt;
    const QChar separator(0x1F);
    const QString key = keyPart(title) + separator + keyPart(artist) + separator + QString::number(*seconds);
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex();
    return m_directory.appending(digest + ".json");
}

std::optional<Lyrics> LyricsCache::read(const FileLocation &file) const
{
    const std::optional<QByteArray> bytes = LyricsFile::read(*m_files, file);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes);
}

std::expected<void, FileError> LyricsCache::write(const Lyrics &lyrics, const FileLocation &file) const
{
    if (auto created = m_files->createDirectories(m_directory); !created)
        return created;
    const std::expected<QByteArray, QString> bytes = encode(lyrics);
    if (!bytes)
        return std::unexpected(FileError::withDetail(QStringLiteral("encode lyrics"), file, bytes.error()));
    return m_files->writeAtomically(file, *bytes);
}

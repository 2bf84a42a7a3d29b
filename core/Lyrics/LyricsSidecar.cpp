#include "LyricsSidecar.h"

#include "LyricsFile.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <dirent.h>

namespace {

struct Candidate
{
    FileLocation location;
    QString name; // decoded file name, extension included
    QByteArray sortKey; // UTF-8 of the composed name: byte order is code-point order
};

// File names are bytes, decoded by the rule lyrics text follows. Latin-1 keeps any name that no
// rule reads distinct from every other.
QString decodeName(const QByteArray &name)
{
    return LyricsFile::decodeText(name).value_or(QString::fromLatin1(name));
}

QString withoutExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

// Case and width folded, composed, white space removed.
QString nameKey(const QString &name)
{
    QString widthFolded;
    widthFolded.reserve(name.size());
    for (const QChar c : name) {
        const QChar::Decomposition tag = c.decompositionTag();
        if (tag == QChar::Wide || tag == QChar::Narrow)
            widthFolded += c.decomposition();
        else
            widthFolded += c;
    }
    const QString folded = widthFolded.toCaseFolded().normalized(QString::NormalizationForm_C);
    QString key;
    key.reserve(folded.size());
    for (const QChar c : folded) {
        if (!c.isSpace())
            key += c;
    }
    return key;
}

QString strippedKey(const QString &name)
{
    // An opening mark of any kind up to the first closing mark of any kind; no nesting.
    static const QRegularExpression bracketed(QStringLiteral(R"([\(\[（【][^\)\]）】]*[\)\]）】])"));
    return nameKey(QString(name).remove(bracketed));
}

// The regular files named "*.lrc" in the folder, hidden ones left out; none when the folder
// cannot be listed.
std::optional<QList<Candidate>> listCandidates(const FileLocation &folder, FileOperations &files)
{
    DIR *directory = ::opendir(folder.cPath());
    if (!directory)
        return std::nullopt;
    QList<Candidate> candidates;
    while (const dirent *entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        const FileLocation location = folder.appending(name);
        if (location.pathExtension().toLower() != QLatin1String("lrc"))
            continue;
        // A folder or a FIFO named "*.lrc" is no sidecar; links count by what they point to.
        const std::expected<FileStatus, FileError> status = files.status(location);
        if (!status || !status->isRegularFile)
            continue;
        const QString decoded = decodeName(name);
        candidates.append(
            Candidate { location, decoded, decoded.normalized(QString::NormalizationForm_C).toUtf8() });
    }
    ::closedir(directory);
    return candidates;
}

} // namespace

namespace LyricsSidecar {

std::optional<FileLocation> find(const Track &track, FileOperations &files)
{
    std::optional<QList<Candidate>> candidates = listCandidates(track.url.deletingLastPathComponent(), files);
    if (!candidates || candidates->isEmpty())
        return std::nullopt;

    const QString trackName = withoutExtension(decodeName(track.url.fileName()));
    const QString trackKey = nameKey(trackName);
    const QString trackStripped = strippedKey(trackName);

    std::stable_sort(candidates->begin(), candidates->end(),
        [](const Candidate &a, const Candidate &b) { return a.sortKey < b.sortKey; });
    const Candidate *best = nullptr;
    int bestScore = 0;
    for (const Candidate &candidate : *candidates) {
        const QString name = withoutExtension(candidate.name);
        int score = 0;
        if (nameKey(name) == trackKey)
            score = 2;
        else if (!trackStripped.isEmpty() && strippedKey(name) == trackStripped)
            score = 1;
        if (score > bestScore) {
            best = &candidate;
            bestScore = score;
        }
        if (bestScore == 2)
            break; // nothing later can beat an exact match
    }
    if (!best)
        return std::nullopt;
    return best->location;
}

} // namespace LyricsSidecar

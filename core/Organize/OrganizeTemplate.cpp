#include "OrganizeTemplate.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <optional>

namespace OrganizeTemplate {

namespace {

// The text each placeholder stands for, worked out once per track.
struct PlaceholderValues
{
    QString artist;
    QString album;
    QString albumArtist;
    QString title;
    QString track;
    QString year;
    QString ext;
};

// Trimmed text, or nothing when nothing remains.
std::optional<QString> cleaned(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

QString numberText(const std::optional<qint64> &number)
{
    return number ? QString::number(*number) : QString();
}

PlaceholderValues placeholderValues(const Track &track)
{
    PlaceholderValues values;
    values.artist = cleaned(track.artist).value_or(unknownArtist);
    values.album = cleaned(track.album).value_or(unknownAlbum);
    values.albumArtist = cleaned(track.albumArtist).value_or(values.artist);
    values.title = cleaned(track.title)
                       .or_else([&] { return cleaned(track.url.deletingPathExtension().fileNameText()); })
                       .value_or(unknownTitle);
    values.track = numberText(track.trackNumber);
    values.year = numberText(track.year);
    values.ext = track.url.pathExtension();
    return values;
}

// Each placeholder replaces all its occurrences in the text the previous replacement produced.
QString substitute(QString text, const PlaceholderValues &values)
{
    text.replace(QStringLiteral("{artist}"), values.artist);
    text.replace(QStringLiteral("{album}"), values.album);
    text.replace(QStringLiteral("{albumArtist}"), values.albumArtist);
    text.replace(QStringLiteral("{title}"), values.title);
    text.replace(QStringLiteral("{track}"), values.track);
    text.replace(QStringLiteral("{year}"), values.year);
    text.replace(QStringLiteral("{ext}"), values.ext);
    return text;
}

bool isForbidden(QChar c)
{
    switch (c.unicode()) {
    case u'\\':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
        return true;
    default:
        return c.unicode() < 0x20 || c.unicode() == 0x7F;
    }
}

// Every rule of a safe name except the one about leading dots, which needs to know where a
// file name's extension starts.
QString withoutForbiddenCharacters(QString text)
{
    text.replace(u'/', u'、');
    text.replace(u':', u'-');
    for (QChar &c : text) {
        if (isForbidden(c))
            c = u'-';
    }
    text = text.trimmed();
    while (text.endsWith(u'.') || text.endsWith(u' '))
        text.chop(1);
    return text;
}

// A name starting with "." is hidden, and the library scan skips hidden files.
QString withoutLeadingDots(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && (text.at(start) == u'.' || text.at(start).isSpace()))
        ++start;
    return text.mid(start);
}

// The last component: its extension is kept whole, and a name with nothing before the extension
// gets the fallback name.
QString fileName(const QString &component, const QString &extension)
{
    const QString cleanedExtension = withoutForbiddenCharacters(extension);
    const QString suffix = cleanedExtension.isEmpty() ? QString() : u'.' + cleanedExtension;
    const bool hasSuffix = !suffix.isEmpty() && component.endsWith(suffix);
    QString stem = withoutLeadingDots(hasSuffix ? component.chopped(suffix.size()) : component);
    if (stem.isEmpty())
        stem = fallbackComponent;
    return fitName(stem, hasSuffix ? suffix : QString());
}

} // namespace

FileLocation render(const QString &templateText, const Track &track, const FileLocation &root)
{
    QString text = templateText;
    if (!text.contains(QStringLiteral("{ext}")))
        text += QStringLiteral(".{ext}");
    const PlaceholderValues values = placeholderValues(track);

    // Split before substituting, so a "/" inside a tag value never makes a folder level.
    QStringList pieces;
    for (const QString &piece : text.split(u'/', Qt::SkipEmptyParts)) {
        QString component = withoutForbiddenCharacters(substitute(piece, values));
        if (!component.isEmpty())
            pieces.append(std::move(component));
    }

    FileLocation result = root;
    if (pieces.isEmpty())
        return result.appending(fallbackComponent);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QString folder = withoutLeadingDots(pieces.at(i));
        if (!folder.isEmpty())
            result = result.appending(fitName(folder));
    }
    return result.appending(fileName(pieces.last(), values.ext));
}

QString sanitize(const QString &component)
{
    return withoutLeadingDots(withoutForbiddenCharacters(component));
}

QString fitName(const QString &stem, const QString &suffix)
{
    // File names are UTF-8 bytes on disk.
    const qsizetype budget = maxNameBytes - suffix.toUtf8().size();
    if (budget < fallbackComponent.toUtf8().size())
        return fitName(stem + suffix);
    if (stem.toUtf8().size() <= budget)
        return stem + suffix;

    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, stem);
    qsizetype kept = 0;
    qsizetype bytes = 0;
    for (qsizetype start = 0, end = graphemes.toNextBoundary(); end > 0;
         start = end, end = graphemes.toNextBoundary()) {
        bytes += QStringView(stem).sliced(start, end - start).toUtf8().size();
        if (bytes > budget)
            break;
        kept = end;
    }
    QString cut = stem.left(kept);
    while (!cut.isEmpty() && (cut.back() == u'.' || cut.back().isSpace()))
        cut.chop(1);
    if (cut.isEmpty())
        cut = fallbackComponent;
    return cut + suffix;
}

} // namespace OrganizeTemplate

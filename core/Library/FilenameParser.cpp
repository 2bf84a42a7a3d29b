#include "FilenameParser.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// Space separators and the tab, but no line breaks.
bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QStringView trimmedOfSpaces(QStringView text)
{
    while (!text.isEmpty() && isSpaceOrTab(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpaceOrTab(text.back()))
        text.chop(1);
    return text;
}

bool isAsciiNumber(QStringView text)
{
    return !text.isEmpty() && std::ranges::all_of(text, [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Splits at the last occurrence of the separator when both sides keep some text.
std::optional<std::pair<QString, QString>> splitAtLast(QStringView text, QStringView separator)
{
    const qsizetype at = text.lastIndexOf(separator);
    if (at < 0)
        return std::nullopt;
    const QStringView before = trimmedOfSpaces(text.first(at));
    const QStringView after = trimmedOfSpaces(text.sliced(at + separator.size()));
    if (before.isEmpty() || after.isEmpty())
        return std::nullopt;
    return std::pair{before.toString(), after.toString()};
}

} // namespace

namespace FilenameParser {

ParsedFilename parse(QStringView filename)
{
    // \d takes any decimal digit and \s any Unicode space, as the separators users type.
    static const QRegularExpression trackPrefix(QStringLiteral("^(\\d{1,3})[.\\s-]+"),
                                                QRegularExpression::UseUnicodePropertiesOption);

    ParsedFilename parsed;
    QStringView remainder = trimmedOfSpaces(deletingPathExtension(filename));
    const QRegularExpressionMatch match = trackPrefix.match(remainder);
    // Full-width digits match the pattern but are no track number: they stay in the title.
    if (match.hasMatch() && isAsciiNumber(match.capturedView(1))) {
        parsed.trackNumber = match.capturedView(1).toLongLong();
        remainder = trimmedOfSpaces(remainder.sliced(match.capturedEnd(0)));
    }

    if (const auto split = splitAtLast(remainder, u" - ")) {
        parsed.artist = split->first;
        parsed.title = split->second;
    } else if (const auto bare = splitAtLast(remainder, u"-")) {
        parsed.title = bare->first;
        parsed.artist = bare->second;
    } else {
        parsed.title = remainder.toString();
    }
    return parsed;
}

QStringView deletingPathExtension(QStringView filename)
{
    const qsizetype dot = filename.lastIndexOf(u'.');
    return dot > 0 ? filename.first(dot) : filename;
}

} // namespace FilenameParser

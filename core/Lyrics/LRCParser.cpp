#include "LRCParser.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// Compiled once per process and only read afterwards; matching is thread-safe.
struct Patterns
{
    // `\d` takes every Unicode digit, so full-width tags match; they then fail to convert.
    QRegularExpression timestamp { QStringLiteral(R"(\[(\d{1,3}):(\d{1,2})(?:[.:,](\d{1,3}))?\])"),
        QRegularExpression::UseUnicodePropertiesOption };
    // Word timings inside a line: enhanced LRC's <mm:ss.xx>, or a time tag after the words began.
    QRegularExpression wordTime { QStringLiteral(R"([<\[]\d{1,3}:\d{1,2}(?:[.:,]\d{1,3})?[>\]])"),
        QRegularExpression::UseUnicodePropertiesOption };
    QRegularExpression offset { QStringLiteral(R"(\[offset:\s*([+-]?\d+)\s*\])"),
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::CaseInsensitiveOption };
    // Any tag of the form [key:value] alone on its line ([ar:…], [#:…], [x-trans:…]).
    QRegularExpression metadata { QStringLiteral(R"(^\[[^\[\]:\d][^\[\]:]*:.*\]$)"),
        QRegularExpression::UseUnicodePropertiesOption };

    Patterns()
    {
        timestamp.optimize();
        wordTime.optimize();
        offset.optimize();
        metadata.optimize();
    }
};

const Patterns &patterns()
{
    static const Patterns instance;
    return instance;
}

// Tab and space separators; line breaks are not trimmed.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Calls `visit` with every line; CR LF, CR and LF all end a line.
template <typename Visit> void forEachLine(QStringView text, Visit visit)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        visit(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    visit(text.sliced(start));
}

// The value of ASCII digits with an optional sign; none for any other digit or an overflow.
std::optional<double> asciiNumber(QStringView digits)
{
    double sign = 1;
    if (!digits.isEmpty() && (digits.front() == u'+' || digits.front() == u'-')) {
        sign = digits.front() == u'-' ? -1 : 1;
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    double value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return sign * value;
}

// The offset in seconds when the line holds a usable offset tag.
std::optional<double> offsetTag(QStringView line)
{
    const QRegularExpressionMatch match = patterns().offset.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<double> milliseconds = asciiNumber(match.capturedView(1));
    if (!milliseconds)
        return std::nullopt;
    return *milliseconds / 1000;
}

// The time of one time tag, or none when its digits are not ASCII.
std::optional<double> tagTime(const QRegularExpressionMatch &match)
{
    const std::optional<double> minutes = asciiNumber(match.capturedView(1));
    const std::optional<double> seconds = asciiNumber(match.capturedView(2));
    if (!minutes || !seconds)
        return std::nullopt;
    double fraction = 0;
    const QStringView fractionDigits = match.capturedView(3);
    if (!fractionDigits.isEmpty())
        fraction = asciiNumber(fractionDigits).value_or(0) / std::pow(10.0, double(fractionDigits.size()));
    return *minutes * 60 + *seconds + fraction;
}

bool isMetadata(QStringView trimmedLine)
{
    return patterns().metadata.match(trimmedLine).hasMatch();
}

// The time tags that open a line, one after another with only blanks between them; what stands
// before the first one is not part of the line.
qsizetype leadingTagCount(QStringView line, const QList<QRegularExpressionMatch> &matches)
{
    qsizetype count = 1;
    while (count < matches.size()
           && trimmed(line.sliced(matches[count - 1].capturedEnd(),
                                  matches[count].capturedStart() - matches[count - 1].capturedEnd()))
                  .isEmpty())
        ++count;
    return count;
}

// The words without the word timings between them; a timing between two blanks takes one with it.
QString wordsWithoutTimings(QStringView text)
{
    QString words;
    words.reserve(text.size());
    qsizetype from = 0;
    QRegularExpressionMatchIterator timings = patterns().wordTime.globalMatch(text);
    while (timings.hasNext()) {
        const QRegularExpressionMatch timing = timings.next();
        words += text.sliced(from, timing.capturedStart() - from);
        from = timing.capturedEnd();
        if (!words.isEmpty() && isBlank(words.back()))
            while (from < text.size() && isBlank(text[from]))
                ++from;
    }
    words += text.sliced(from);
    return trimmed(words).toString();
}

} // namespace

namespace LRCParser {

Lyrics parse(QStringView text)
{
    double offset = 0;
    QList<LyricLine> timed;
    QList<LyricLine> plain;
    forEachLine(text, [&](QStringView line) {
        if (const std::optional<double> lineOffset = offsetTag(line)) {
            offset = *lineOffset;
            return;
        }
        QRegularExpressionMatchIterator tags = patterns().timestamp.globalMatch(line);
        if (!tags.hasNext()) {
            // Plain lines only count while no timed line has been seen.
            if (!timed.isEmpty())
                return;
            const QStringView words = trimmed(line);
            if (!words.isEmpty() && !isMetadata(words))
                plain.append(LyricLine { 0, words.toString() });
            return;
        }
        QList<QRegularExpressionMatch> matches;
        while (tags.hasNext())
            matches.append(tags.next());
        const qsizetype lineTags = leadingTagCount(line, matches);
        const QString words = wordsWithoutTimings(line.sliced(matches[lineTags - 1].capturedEnd()));
        for (qsizetype i = 0; i < lineTags; ++i) {
            if (const std::optional<double> time = tagTime(matches[i]))
                timed.append(LyricLine { *time, words });
        }
    });

    if (timed.isEmpty())
        return Lyrics { plain, false };
    // A positive offset shows every line sooner; the last offset tag of the text counts.
    for (LyricLine &line : timed)
        line.time -= offset;
    std::stable_sort(
        timed.begin(), timed.end(), [](const LyricLine &a, const LyricLine &b) { return a.time < b.time; });
    return Lyrics { timed, true };
}

Lyrics parsePlainText(QStringView text)
{
    QList<LyricLine> lines;
    forEachLine(text, [&](QStringView line) {
        if (isMetadata(trimmed(line)))
            return;
        QString words = wordsWithoutTimings(line);
        words.remove(patterns().offset);
        const QStringView kept = trimmed(words);
        if (!kept.isEmpty())
            lines.append(LyricLine { 0, kept.toString() });
    });
    return Lyrics { lines, false };
}

} // namespace LRCParser

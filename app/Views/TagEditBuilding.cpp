#include "TagEditBuilding.h"

#include "Localization.h"

#include <algorithm>

namespace TagEditBuilding {

namespace {

// Batch numbers: a blank field leaves the tag alone, anything else must be valid.
std::expected<std::optional<qint64>, QString> batchNumber(const QString &text, const NumberField &field)
{
    const auto parsed = parseNumber(text, field);
    if (!parsed)
        return std::nullopt;
    if (!*parsed)
        return std::unexpected(parsed->error());
    return **parsed;
}

std::expected<std::optional<qint64>, QString> singleNumber(
    const QString &text, std::optional<qint64> initial, const NumberField &field)
{
    const NumberEdit edit = changedNumber(text, initial, field);
    switch (edit.kind) {
    case NumberEdit::Kind::Set:
        return edit.value;
    case NumberEdit::Kind::Error:
        return std::unexpected(edit.message);
    case NumberEdit::Kind::Unchanged:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> trimmedOrNil(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed.toString();
}

std::optional<qint64> integer(QStringView trimmed)
{
    const QStringView digits
        = trimmed.startsWith(u'+') || trimmed.startsWith(u'-') ? trimmed.sliced(1) : trimmed;
    if (digits.isEmpty() || !std::ranges::all_of(digits, [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString invalidNumberMessage(const NumberField &field)
{
    return Lf("%@必须是 %d–%d 之间的整数。", L(field.label), field.lowest, field.highest);
}

std::optional<std::expected<qint64, QString>> parseNumber(QStringView text, const NumberField &field)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const std::optional<qint64> value = integer(trimmed);
    if (!value || *value < field.lowest || *value > field.highest)
        return std::unexpected(invalidNumberMessage(field));
    return *value;
}

std::optional<QString> changedText(QStringView text, const std::optional<QString> &initial)
{
    const QStringView trimmed = text.trimmed();
    const QString reference = initial.value_or(QString());
    if (trimmed == QStringView(reference).trimmed())
        return std::nullopt;
    return trimmed.toString();
}

NumberEdit changedNumber(QStringView text, std::optional<qint64> initial, const NumberField &field)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return initial ? NumberEdit::set(0) : NumberEdit::unchanged();
    if (initial && trimmed == QString::number(*initial))
        return NumberEdit::unchanged();
    const std::optional<qint64> value = integer(trimmed);
    if (!value || *value < field.lowest || *value > field.highest)
        return NumberEdit::error(invalidNumberMessage(field));
    if (initial == value)
        return NumberEdit::unchanged();
    return NumberEdit::set(*value);
}

std::expected<TagFields, QString> buildEdits(const Form &form)
{
    TagFields edits;
    const TagFormatCapabilities &can = form.capabilities;
    if (can.canWrite) {
        std::expected<std::optional<qint64>, QString> year;
        std::expected<std::optional<qint64>, QString> trackNumber;
        if (form.isBatch()) {
            edits.title = trimmedOrNil(form.title);
            edits.artist = trimmedOrNil(form.artist);
            edits.album = trimmedOrNil(form.album);
            edits.genre = trimmedOrNil(form.genre);
            year = batchNumber(form.year, yearField);
            if (year)
                trackNumber = batchNumber(form.trackNumber, trackNumberField);
            if (can.canWriteAlbumArtist)
                edits.albumArtist = trimmedOrNil(form.albumArtist);
        } else {
            const TagFields initial = form.initialFields.value_or(TagFields {});
            edits.title = changedText(form.title, initial.title);
            edits.artist = changedText(form.artist, initial.artist);
            edits.album = changedText(form.album, initial.album);
            edits.genre = changedText(form.genre, initial.genre);
            year = singleNumber(form.year, initial.year, yearField);
            if (year)
                trackNumber = singleNumber(form.trackNumber, initial.trackNumber, trackNumberField);
            if (can.canWriteAlbumArtist)
                edits.albumArtist = changedText(form.albumArtist, initial.albumArtist);
        }
        if (!year)
            return std::unexpected(year.error());
        if (!trackNumber)
            return std::unexpected(trackNumber.error());
        edits.year = *year;
        edits.trackNumber = *trackNumber;
    }
    if (can.canWriteArtwork)
        edits.artworkBase64 = form.artworkEdit;
    return edits;
}

} // namespace TagEditBuilding

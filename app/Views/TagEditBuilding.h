#pragma once

#include "Tags/TagFields.h"
#include "Tags/TagFormatCapabilities.h"

#include <QString>
#include <QStringView>

#include <expected>
#include <optional>

// Turns the tag editor's field texts into the edits to write, or refuses with the message to show.
// Pure rules over the sheet's state, so they are tested without widgets.
//
// One track (or none): a field is written only when its text differs from what was read from the
// file, and emptying a field that had a value removes the tag. Two or more tracks: only the fields
// the user filled are written, to every track.
namespace TagEditBuilding {

// A number field's label (a text key) and the values it accepts.
struct NumberField
{
    const char *label;
    qint64 lowest;
    qint64 highest;
};

inline constexpr NumberField yearField { "年份", 1, 9999 };
inline constexpr NumberField trackNumberField { "曲目号", 1, 65535 };

// Everything of the sheet the edits depend on.
struct Form
{
    qsizetype trackCount = 0;
    TagFormatCapabilities capabilities;
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString year;
    QString trackNumber;
    QString genre;
    // What was read from the one track's file; nothing when it was not read.
    std::optional<TagFields> initialFields;
    // Nothing: leave the cover; empty: remove every cover; otherwise the new cover in Base64.
    std::optional<QString> artworkEdit;

    bool isBatch() const { return trackCount >= 2; }
};

// One number field compared with the file's value.
struct NumberEdit
{
    enum class Kind { Set, Error, Unchanged };

    Kind kind = Kind::Unchanged;
    qint64 value = 0; // Set: the number to write, 0 removes it
    QString message; // Error: what to show

    static NumberEdit set(qint64 number) { return { Kind::Set, number, {} }; }
    static NumberEdit error(const QString &text) { return { Kind::Error, 0, text }; }
    static NumberEdit unchanged() { return {}; }

    friend bool operator==(const NumberEdit &, const NumberEdit &) = default;
};

// Blanks (the ideographic space and line breaks included) taken from both ends; nothing when
// nothing is left.
std::optional<QString> trimmedOrNil(QStringView text);

// An optional sign and ASCII digits, leading zeros allowed, within 64 bits; nothing otherwise.
std::optional<qint64> integer(QStringView trimmed);

// "年份必须是 1–9999 之间的整数。"
QString invalidNumberMessage(const NumberField &field);

// Batch: nothing for a blank field (left alone), else the number or the message.
std::optional<std::expected<qint64, QString>> parseNumber(QStringView text, const NumberField &field);

// One track: nothing when the trimmed texts agree, else the trimmed new text ("" removes the tag).
std::optional<QString> changedText(QStringView text, const std::optional<QString> &initial);

// One track. Emptying a number the file has removes it. The file's own value, shown untouched,
// is unchanged even when it lies outside the accepted values (a stored year of 20031 must not
// block every other edit); what the user typed is checked.
NumberEdit changedNumber(QStringView text, std::optional<qint64> initial, const NumberField &field);

// The edits, or the message of the first invalid number (the year before the track number).
// Fields the files' format cannot store are never written.
std::expected<TagFields, QString> buildEdits(const Form &form);

} // namespace TagEditBuilding

#pragma once

#include "Tags/TagFields.h"

#include <QString>

#include <optional>

// How one tag edit request lands on a file. An absent request field leaves the file's value; a
// present one replaces it, where blank text, a number below 1 and empty artwork mean "no value".
namespace TagEditMerge {

// The text trimmed of white space and line breaks, or nothing when nothing is left.
std::optional<QString> nonEmpty(const QString &text);
// The tags the file holds once the request is written over `before`: texts trimmed (blank is
// absent), numbers of 1 and more, artwork as given (empty is absent).
TagFields merged(const TagFields &before, const TagFields &request);
// What to write so that the file ends up as merged() says: the request as given (non-blank text
// untrimmed), except that a field the merge makes absent is written in its removal form, the
// empty text or 0.
TagFields writePayload(const TagFields &request);

} // namespace TagEditMerge

#pragma once

#include "TagIO.h"

#include "Models/Track.h"
#include "Tags/TagFields.h"

#include <QList>
#include <QStringList>

#include <optional>

// One file whose tag texts read as Chinese decoded with a Western code page, and the repair.
struct MojibakeRepairCandidate
{
    Track track;
    TagFields fields;     // only the repaired texts
    QStringList changes;  // one line per repaired field: "标题：<garbled> → <repaired>"
};

namespace MojibakeScan {

// Examines the title, artist and album (and the album artist where the format takes one) of a
// file whose format takes tags; nothing when none needs a repair or the file cannot be read. Any
// thread.
std::optional<MojibakeRepairCandidate> examine(const TagIO &tags, const Track &track);
// The confirmation's details: the lines of the first five candidates, each prefixed with the
// library title in book-title marks, "…" when there are more, then the note.
QString confirmationDetails(const QList<MojibakeRepairCandidate> &candidates);

} // namespace MojibakeScan

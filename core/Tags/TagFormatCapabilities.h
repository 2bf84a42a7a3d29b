#pragma once

#include "Storage/FileLocation.h"

#include <QList>
#include <QString>

#include <optional>

// What the tag editor may write to a file, known from its format before anything is written, and
// why not when something is missing.
struct TagFormatCapabilities
{
    bool canWrite = false;
    bool canWriteAlbumArtist = false;
    bool canWriteArtwork = false;
    std::optional<QString> limitation; // shown by the editor

    friend bool operator==(const TagFormatCapabilities &, const TagFormatCapabilities &) = default;

    // By the lower-cased extension; a WAV file is writable only with an ID3v2 chunk, so this reads
    // up to 4096 chunk headers of it.
    static TagFormatCapabilities capabilities(const FileLocation &file);
    // What holds for all the files together; an empty selection allows everything. The limitation
    // is the last unwritable file's, else the first writable file's.
    static TagFormatCapabilities combined(const QList<FileLocation> &files);

private:
    // Walks the RIFF or RF64 chunk headers for an "id3 " chunk (any letter case). Whatever cannot
    // be opened, read or measured has none.
    static bool wavHasID3Chunk(const FileLocation &file);
};

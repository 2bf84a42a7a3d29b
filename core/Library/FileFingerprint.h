#pragma once

#include "Models/Track.h"

#include <QHashFunctions>

// A file's size and modification date, as a track stores them; equal fingerprints mean the file
// is taken to be unchanged. Dates compare exactly.
struct FileFingerprint
{
    qint64 size = 0;
    double modified = 0;

    static FileFingerprint of(const Track &track) { return {track.fileSize, track.modifiedAt}; }
    friend bool operator==(const FileFingerprint &, const FileFingerprint &) = default;
};

inline size_t qHash(const FileFingerprint &fingerprint, size_t seed = 0)
{
    return qHashMulti(seed, fingerprint.size, fingerprint.modified);
}

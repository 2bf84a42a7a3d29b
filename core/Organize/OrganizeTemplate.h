#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QString>

// Turns a naming template such as "{artist}/{album}/{track} {title}" and one track into the file
// location the track is to have under a root folder. Pure: it neither reads nor changes any file.
namespace OrganizeTemplate {

inline const QString unknownArtist = QStringLiteral("未知歌手");
inline const QString unknownAlbum = QStringLiteral("未知专辑");
inline const QString unknownTitle = QStringLiteral("未知歌曲");
inline const QString fallbackComponent = QStringLiteral("未命名");

// Linux limits one name to 255 bytes, whatever the characters.
inline constexpr qsizetype maxNameBytes = 255;

// The destination of the track under `root`; "{ext}" is appended when the template lacks it.
// The caller standardises the result.
FileLocation render(const QString &templateText, const Track &track, const FileLocation &root);

// One path component made safe for a file name: no "/", no characters other systems refuse, no
// control characters, no trailing dots or spaces, and no leading dot (the library scan skips
// hidden files). May return the empty text.
QString sanitize(const QString &component);

// `stem` followed by `suffix`, the stem cut at a character boundary so that the whole name fits
// in maxNameBytes. The suffix (an extension, a conflict number) is kept whole.
QString fitName(const QString &stem, const QString &suffix = {});

} // namespace OrganizeTemplate

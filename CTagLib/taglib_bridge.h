#pragma once

#include <stdint.h>

// The flat bridge over TagLib. Texts are NUL-terminated UTF-8; every text handed out belongs to
// the caller until it is passed to quillmere_free exactly once. No call keeps state between
// calls, and no call throws: calls on different files may run on different threads.

#ifdef __cplusplus
extern "C" {
#endif

// The file's tags and front cover as one JSON object with the members title, artist, album,
// albumArtist, year, trackNumber, genre and artworkBase64 (null when absent). Null when the path
// is null or the file cannot be read as audio. Never writes to the file.
char *quillmere_read_tags(const char *path);

// Applies a JSON object of the same members to the file; an absent or null member leaves its
// field unchanged, the empty text clears it. Returns 0 on success, -1 on failure. When `error`
// is not null it is set to null first, and to the failure message on failure.
int32_t quillmere_write_tags(const char *path, const char *json, char **error);

// Releases a text handed out by the two functions above; null is accepted.
void quillmere_free(char *text);

#ifdef __cplusplus
}
#endif

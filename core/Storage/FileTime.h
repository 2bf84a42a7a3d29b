#pragma once

#include <QtGlobal>

#include <ctime>

// Points in time as the stored JSON writes them: seconds since 2001-01-01 00:00:00 UTC.
namespace FileTime {

inline constexpr qint64 referenceEpochOffset = 978307200; // 2001-01-01 in Unix seconds

// The one conversion from a file's modification time, so the same file always gives the same value.
double referenceSeconds(const struct timespec &time);
double nowReferenceSeconds();

} // namespace FileTime

#include "FileTime.h"

namespace FileTime {

double referenceSeconds(const struct timespec &time)
{
    return double(time.tv_sec - referenceEpochOffset) + double(time.tv_nsec) / 1e9;
}

double nowReferenceSeconds()
{
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return referenceSeconds(now);
}

} // namespace FileTime

#include "FileTime.h"

#include <cmath>

namespace FileTime {

double referenceSeconds(const struct timespec &time)
{
    return double(time.tv_sec - referenceEpochOffset) + double(time.tv_nsec) / 1e9;
}

double referenceSeconds(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch() - referenceEpochOffset * 1000) / 1000.0;
}

double nowReferenceSeconds()
{
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return referenceSeconds(now);
}

QDateTime toDateTime(double referenceSeconds)
{
    const double unixMilliseconds = (referenceSeconds + double(referenceEpochOffset)) * 1000.0;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(unixMilliseconds)), Qt::UTC);
}

} // namespace FileTime

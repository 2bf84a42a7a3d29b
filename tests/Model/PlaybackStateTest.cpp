#include "PlaybackState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

Track track(bool missing = false)
{
    Track made;
    made.id = QUuid::createUuid();
    made.isMissing = missing;
    return made;
}

} // namespace

TEST(PlaybackStateTest, RestoredPositionIsZeroForNegativeOrNonFiniteValues)
{
    const Track current = track();
    for (const auto &[saved, expected] : std::initializer_list<std::pair<double, double>>{
             {42.5, 42.5},
             {0, 0},
             {-3, 0},
             {std::numeric_limits<double>::quiet_NaN(), 0},
             {std::numeric_limits<double>::infinity(), 0}}) {
        const AppSettings settings{.lastTrackID = current.id, .lastPosition = saved};
        EXPECT_EQ(PlaybackState::restore(settings, {current}).position, expected) << saved;
    }
}

TEST(PlaybackStateTest, StoresTheEnginePositionOnlyWhileAFileIsLoaded)
{
    const Track current = track();
    const PlaybackQueue queue({current.id}, 0, PlaybackMode::Shuffle);
    const double nan = std::numeric_limits<double>::quiet_NaN();

    EXPECT_EQ(PlaybackState::store({}, queue, current, 200, 31, 7).lastPosition, 31);
    EXPECT_EQ(PlaybackState::store({}, queue, current, 0, 31, 7).lastPosition, 7);
    EXPECT_EQ(PlaybackState::store({}, queue, current, nan, 31, 7).lastPosition, 7);
    EXPECT_EQ(PlaybackState::store({}, queue, current, 0, 0, -2).lastPosition, 0);

    const AppSettings stored = PlaybackState::store({}, queue, std::nullopt, 0, 0, 0);
    EXPECT_EQ(stored.playbackMode, QStringLiteral("shuffle"));
    EXPECT_FALSE(stored.lastTrackID);
    EXPECT_EQ(stored.lastQueue, QList<QUuid>{current.id});
}

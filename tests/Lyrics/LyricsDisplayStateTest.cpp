#include "Lyrics/LyricsDisplayState.h"

#include <gtest/gtest.h>

namespace {

const ResolvedLyrics resolved { Lyrics { { { 1, u"a"_qs } }, true }, LyricsOrigin::Sidecar, std::nullopt };

class LyricsDisplayStateTest : public ::testing::Test
{
protected:
    // A state showing lyrics for `track`.
    LyricsDisplayState showing(const QUuid &track) const
    {
        LyricsDisplayState state;
        state.beginLoading(track);
        state.apply(resolved, track);
        return state;
    }

    const QUuid m_first = QUuid::createUuid();
    const QUuid m_second = QUuid::createUuid();
};

TEST_F(LyricsDisplayStateTest, StartsEmpty)
{
    EXPECT_EQ(
        LyricsDisplayState(), (LyricsDisplayState { std::nullopt, std::nullopt, LyricsOrigin::None, false }));
}

TEST_F(LyricsDisplayStateTest, LoadingANewTrackResolvesWithoutLyrics)
{
    LyricsDisplayState state;
    EXPECT_FALSE(state.beginLoading(m_first));
    EXPECT_EQ(state, (LyricsDisplayState { m_first, std::nullopt, LyricsOrigin::None, true }));
}

TEST_F(LyricsDisplayStateTest, RetryKeepsTheLyricsShown)
{
    LyricsDisplayState state = showing(m_first);
    EXPECT_FALSE(state.beginLoading(m_first));
    EXPECT_EQ(state, (LyricsDisplayState { m_first, resolved.lyrics, LyricsOrigin::Sidecar, true }));
}

TEST_F(LyricsDisplayStateTest, AnotherTrackClearsTheLyrics)
{
    LyricsDisplayState state = showing(m_first);
    EXPECT_TRUE(state.beginLoading(m_second));
    EXPECT_EQ(state, (LyricsDisplayState { m_second, std::nullopt, LyricsOrigin::None, true }));
    EXPECT_FALSE(state.beginLoading(m_first)); // nothing was shown to clear
}

TEST_F(LyricsDisplayStateTest, NoTrackReturnsToTheInitialState)
{
    LyricsDisplayState state = showing(m_first);
    EXPECT_TRUE(state.beginLoading(std::nullopt));
    EXPECT_EQ(state, LyricsDisplayState());
    EXPECT_FALSE(state.beginLoading(std::nullopt));
}

TEST_F(LyricsDisplayStateTest, LateResultForAnotherTrackIsDropped)
{
    LyricsDisplayState state;
    state.beginLoading(m_second);
    const LyricsDisplayState before = state;
    state.finish(resolved, m_first);
    EXPECT_EQ(state, before);
    state.finish(resolved, m_second);
    EXPECT_EQ(state, (LyricsDisplayState { m_second, resolved.lyrics, LyricsOrigin::Sidecar, false }));
}

TEST_F(LyricsDisplayStateTest, FinishWithoutTrackChangesNothing)
{
    LyricsDisplayState state;
    state.finish(resolved, m_first);
    EXPECT_EQ(state, LyricsDisplayState());
}

TEST_F(LyricsDisplayStateTest, ApplyingNothingShowsNoLyrics)
{
    LyricsDisplayState state = showing(m_first);
    state.beginLoading(m_first);
    state.apply(std::nullopt, m_first);
    EXPECT_EQ(state, (LyricsDisplayState { m_first, std::nullopt, LyricsOrigin::None, false }));
}

TEST(LyricsOrigin, NamesRoundTrip)
{
    for (const LyricsOrigin origin :
        { LyricsOrigin::Override, LyricsOrigin::Sidecar, LyricsOrigin::Online, LyricsOrigin::None })
        EXPECT_EQ(lyricsOriginFromName(lyricsOriginName(origin)), origin);
    EXPECT_EQ(lyricsOriginName(LyricsOrigin::Override), u"override"_qs);
    EXPECT_EQ(lyricsOriginFromName(u"Online"), std::nullopt);
    EXPECT_EQ(lyricsOriginFromName(u"cache"), std::nullopt);
}

} // namespace

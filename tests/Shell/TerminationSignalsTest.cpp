#include "Shell/TerminationSignals.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class TerminationSignalsTest : public ::testing::TestWithParam<int>
{
};

TEST_P(TerminationSignalsTest, ArrivesInTheEventLoopNotInTheHandler)
{
    TerminationSignals watcher;
    QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);
    ASSERT_EQ(::raise(GetParam()), 0);
    // Nothing is emitted from inside the handler itself.
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalsTest, ::testing::Values(SIGTERM, SIGHUP, SIGINT));

} // namespace

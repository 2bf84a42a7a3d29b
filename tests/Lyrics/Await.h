#pragma once

#include <QFuture>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

// Spins the event loop until the future finishes (at most ten seconds) and returns its result.
template <typename T> T await(QFuture<T> future)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 10000));
    if (!future.isFinished() || future.isCanceled() || future.resultCount() == 0) {
        ADD_FAILURE() << "the future gave no result";
        return T();
    }
    return future.result();
}

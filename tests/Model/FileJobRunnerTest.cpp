#include "FileJobRunner.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

TEST(FileJobRunnerTest, OneJobAtATimeAndProgressOfAnEndedJobIsDropped)
{
    QList<std::optional<QString>> published;
    FileJobRunner runner([&](const std::optional<QString> &progress) { published.append(progress); });

    const auto first = runner.begin(QStringLiteral("a 0"));
    ASSERT_TRUE(first);
    EXPECT_FALSE(runner.begin(QStringLiteral("refused")));
    const auto post = runner.progressPoster(*first);
    post(QStringLiteral("a 1"));
    QCoreApplication::processEvents();
    post(QStringLiteral("a late")); // arrives after its job ended and another began
    runner.finish(*first);
    const auto second = runner.begin(QStringLiteral("b 0"));
    QCoreApplication::processEvents();

    EXPECT_EQ(published, (QList<std::optional<QString>>{QStringLiteral("a 0"), QStringLiteral("a 1"), std::nullopt,
                                                        QStringLiteral("b 0")}));
    EXPECT_TRUE(runner.isBusy());
    runner.finish(*second);
    EXPECT_FALSE(runner.isBusy());
}

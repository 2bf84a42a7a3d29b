#include "SettingsWriter.h"

#include "FaultInjectingFileOperations.h"

#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

namespace {

class SettingsWriterTest : public ::testing::Test
{
protected:
    AppSettings withQueueOf(int count)
    {
        AppSettings settings;
        for (int i = 0; i < count; ++i)
            settings.lastQueue.append(QUuid::createUuid());
        return settings;
    }

    int settingsWrites() const { return files.calls(FileOperations::Operation::WriteAtomically); }

    QTemporaryDir temporary;
    FileLocation directory = FileLocation::fromLocalFile(temporary.path());
    FaultInjectingFileOperations files;
    QList<SettingsWriter::Outcome> outcomes;
};

} // namespace

TEST_F(SettingsWriterTest, SavesWithinTheWindowAreWrittenOnceWithTheNewest)
{
    SettingsWriter writer(directory, files, std::chrono::milliseconds(30),
                          [this](const SettingsWriter::Outcome &outcome) { outcomes.append(outcome); });
    const AppSettings newest = withQueueOf(3);

    writer.save(withQueueOf(1));
    writer.save(withQueueOf(2));
    writer.save(newest);
    EXPECT_EQ(settingsWrites(), 0); // nothing is written on the caller's turn
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == 1; }, 2000));

    EXPECT_TRUE(outcomes.first());
    EXPECT_EQ(settingsWrites(), 1);
    EXPECT_TRUE(writer.isIdle());
    EXPECT_EQ(IndexStore(directory).loadSettings(), newest);
}

TEST_F(SettingsWriterTest, FlushWritesWhatIsPendingBeforeItReturns)
{
    SettingsWriter writer(directory, files, std::chrono::hours(1),
                          [this](const SettingsWriter::Outcome &outcome) { outcomes.append(outcome); });
    const AppSettings large = withQueueOf(50'000);

    writer.save(large);
    writer.flush();

    EXPECT_EQ(outcomes.size(), 1);
    EXPECT_EQ(IndexStore(directory).loadSettings(), large);
}

TEST_F(SettingsWriterTest, AFailedWriteIsReportedAndTheNextSaveWritesAgain)
{
    SettingsWriter writer(directory, files, std::chrono::milliseconds(1),
                          [this](const SettingsWriter::Outcome &outcome) { outcomes.append(outcome); });
    files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC, "settings.json");

    writer.save(withQueueOf(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == 1; }, 2000));
    EXPECT_FALSE(outcomes.first());
    EXPECT_EQ(outcomes.first().error().code, ENOSPC);

    const AppSettings second = withQueueOf(2);
    writer.save(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == 2; }, 2000));
    EXPECT_TRUE(outcomes.last());
    EXPECT_EQ(IndexStore(directory).loadSettings(), second);
}

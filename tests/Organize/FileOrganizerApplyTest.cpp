#include "OrganizeFixture.h"

#include "Organize/FileOrganizer.h"

#include "FaultInjectingFileOperations.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace OrganizeFixture;
using Operation = FileOperations::Operation;

namespace {

// Three files in /tmp organised within /tmp or onto another file system.
class OrganizeRunFixture
{
protected:
    bool prepare(bool otherFileSystem)
    {
        if (!m_temporary.isValid())
            return false;
        if (otherFileSystem) {
            m_other = folderOnOtherFileSystem(m_base);
            if (!m_other)
                return false;
        }
        m_out = m_other ? locationOf(*m_other) : m_base.appending(QByteArray("out"));
        for (int i = 0; i < 3; ++i) {
            const FileLocation file = m_base.appending("in/" + QByteArray::number(i) + ".flac");
            writeFile(file, "audio " + QByteArray::number(i));
            m_tracks.append(trackFor(file, QStringLiteral("歌手"), QStringLiteral("Song %1").arg(i)));
        }
        m_items = m_organizer.plan(m_tracks, QStringLiteral("{artist}/{title}"), m_out);
        return m_items.size() == 3;
    }

    QByteArray originalContent(qsizetype i) const { return "audio " + QByteArray::number(i); }
    bool atSource(qsizetype i) const { return contentOf(m_items[i].source) == originalContent(i); }
    bool atDestination(qsizetype i) const { return contentOf(m_items[i].destination) == originalContent(i); }

    QTemporaryDir m_temporary;
    FileLocation m_base = locationOf(m_temporary);
    std::unique_ptr<QTemporaryDir> m_other;
    FileLocation m_out;
    FaultInjectingFileOperations m_files;
    OrganizeUndoStore m_undo { m_base.appending(QByteArray("undo")), 50, m_files };
    FileOrganizer m_organizer { m_undo, m_files };
    QList<Track> m_tracks;
    QList<OrganizePlanItem> m_items;
};

struct RunMode
{
    bool otherFileSystem;
    bool copy;
};

class OrganizeRunTest : public OrganizeRunFixture, public testing::TestWithParam<RunMode>
{
protected:
    void SetUp() override
    {
        if (!prepare(GetParam().otherFileSystem))
            GTEST_SKIP() << "no second file system";
    }
    bool copy() const { return GetParam().copy; }
    // The operation that puts a file at its destination in this mode.
    Operation transfer() const
    {
        return copy() || GetParam().otherFileSystem ? Operation::Copy : Operation::MoveNoReplace;
    }
};

TEST_P(OrganizeRunTest, CarriesEveryFileOverKeepingModeAndTimeAndRecordsTheRun)
{
    const FileLocation first = m_items[0].source;
    ASSERT_EQ(::chmod(first.cPath(), 0640), 0);
    const struct timespec past[2] = { { 1'000'000'000, 0 }, { 1'000'000'000, 123'456'789 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, first.cPath(), past, 0), 0);
    QList<std::pair<int, int>> progress;

    ASSERT_TRUE(m_organizer.apply(m_items, copy(), [&](int done, int total) {
        progress.append({ done, total });
    }));

    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_TRUE(atDestination(i));
        EXPECT_EQ(atSource(i), copy());
    }
    struct stat moved
    {
    };
    ASSERT_EQ(::stat(m_items[0].destination.cPath(), &moved), 0);
    EXPECT_EQ(moved.st_mode & 07777, 0640u);
    EXPECT_EQ(moved.st_mtim.tv_sec, past[1].tv_sec);
    EXPECT_EQ(moved.st_mtim.tv_nsec, past[1].tv_nsec);
    EXPECT_EQ(progress, (QList<std::pair<int, int>> { { 1, 3 }, { 2, 3 }, { 3, 3 } }));
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, m_items);
    EXPECT_EQ(m_undo.entries()[0].copy, copy());
}

TEST_P(OrganizeRunTest, UndoRestoresTheOriginalState)
{
    ASSERT_TRUE(m_organizer.apply(m_items, copy()));

    const auto undone = m_organizer.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, (QList<OrganizePlanItem> { m_items[2], m_items[1], m_items[0] }));
    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_TRUE(atSource(i));
        EXPECT_FALSE(m_files.exists(m_items[i].destination));
    }
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_P(OrganizeRunTest, FileAppearingAtTheDestinationAfterTheCheckIsNeverOverwritten)
{
    const auto intrude = [&](int done, int) {
        if (done == 1)
            writeFile(m_items[1].destination, "intruder");
    };

    const auto applied = m_organizer.apply(m_items, copy(), intrude);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::ApplyFailed);
    EXPECT_EQ(applied.error().items(), QList<OrganizePlanItem> { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->kind(), OrganizeError::Kind::DestinationExists);
    EXPECT_EQ(contentOf(m_items[1].destination), "intruder");
    EXPECT_TRUE(atSource(1));
    EXPECT_TRUE(atSource(2));

    // The journal holds only what was applied, so undo leaves the intruder alone.
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, QList<OrganizePlanItem> { m_items[0] });
    ASSERT_TRUE(m_organizer.undoLast());
    EXPECT_TRUE(atSource(0));
    EXPECT_EQ(contentOf(m_items[1].destination), "intruder");
}

TEST_P(OrganizeRunTest, FailureAtTheSecondItemStopsTheRunAndNarrowsTheJournal)
{
    m_files.failOnce(transfer(), EIO, m_items[1].destination.fileName());
    int progressCalls = 0;

    const auto applied = m_organizer.apply(m_items, copy(), [&](int, int) { ++progressCalls; });

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().items(), QList<OrganizePlanItem> { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->fileError().code, EIO);
    EXPECT_TRUE(applied.error().text().startsWith(QStringLiteral("整理失败：")));
    EXPECT_EQ(progressCalls, 1);
    EXPECT_TRUE(atDestination(0));
    EXPECT_TRUE(atSource(1));
    EXPECT_TRUE(atSource(2));
    EXPECT_FALSE(m_files.exists(m_items[1].destination));
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, QList<OrganizePlanItem> { m_items[0] });

    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, QList<OrganizePlanItem> { m_items[0] });
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(atSource(i));
}

TEST_P(OrganizeRunTest, JournalThatCannotBeSavedTouchesNothing)
{
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);

    const auto applied = m_organizer.apply(m_items, copy());

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::File);
    EXPECT_EQ(m_files.calls(Operation::Copy) + m_files.calls(Operation::MoveNoReplace), 0);
    EXPECT_TRUE(m_undo.entries().isEmpty());
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(atSource(i));
}

INSTANTIATE_TEST_SUITE_P(Modes, OrganizeRunTest,
    testing::Values(
        RunMode { false, false }, RunMode { false, true }, RunMode { true, false }, RunMode { true, true }),
    [](const testing::TestParamInfo<RunMode> &info) {
        return std::string(info.param.otherFileSystem ? "OtherFileSystem" : "SameFileSystem")
            + (info.param.copy ? "Copy" : "Move");
    });

class OrganizeMoveTest : public OrganizeRunFixture, public testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (!prepare(GetParam()))
            GTEST_SKIP() << "no second file system";
    }
};

TEST_P(OrganizeMoveTest, UndoBlockedByAnOccupiedSourceResumesOnceCleared)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    writeFile(m_items[1].source, "new file");

    const auto blocked = m_organizer.undoLast();

    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error().kind(), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(blocked.error().items(), QList<OrganizePlanItem> { m_items[2] });
    EXPECT_EQ(blocked.error().underlying()->kind(), OrganizeError::Kind::RestoreConflict);
    EXPECT_EQ(blocked.error().underlying()->location(), m_items[1].source.standardized());
    EXPECT_TRUE(atSource(2));
    EXPECT_TRUE(atDestination(1));
    EXPECT_EQ(contentOf(m_items[1].source), "new file");
    EXPECT_EQ(m_undo.entries().size(), 1);

    ASSERT_TRUE(m_files.remove(m_items[1].source));
    const auto resumed = m_organizer.undoLast();

    ASSERT_TRUE(resumed && *resumed);
    EXPECT_EQ(**resumed, (QList<OrganizePlanItem> { m_items[1], m_items[0] }));
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(atSource(i));
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_P(OrganizeMoveTest, UndoAfterAMoveCutShortRemovesTheSecondCopyTemporariesAndNewFolders)
{
    ASSERT_TRUE(m_organizer.apply(m_items, false));
    // Killed between the copy and the removal of the source, while copying the next file.
    ASSERT_TRUE(m_files.copyFile(m_items[1].destination, m_items[1].source));
    const FileLocation destinationFolder = m_items[2].destination.deletingLastPathComponent();
    writeFile(destinationFolder.appending(QByteArray(".Song 2.flac.1x2y3z.part")), "partial");

    const auto undone = m_organizer.undoLast();

    ASSERT_TRUE(undone && *undone) << undone.error().text().toStdString();
    EXPECT_EQ(undone->value().size(), 3);
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(atSource(i));
    EXPECT_FALSE(m_files.exists(destinationFolder));
    if (!m_other) {
        EXPECT_FALSE(m_files.exists(m_out));
    }
    EXPECT_TRUE(m_undo.entries().isEmpty());
}

TEST_P(OrganizeMoveTest, FailedJournalRewriteKeepsTheFullEntryAndUndoSkipsTheRest)
{
    const Operation transfer = GetParam() ? Operation::Copy : Operation::MoveNoReplace;
    m_files.failOnce(transfer, EIO, m_items[1].destination.fileName());
    m_files.failOnce(Operation::WriteAtomically, ENOSPC, {}, 1); // the rewrite, not the record

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::ApplyFailed);
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries()[0].items, m_items);

    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, QList<OrganizePlanItem> { m_items[0] });
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(atSource(i));
}

TEST_P(OrganizeMoveTest, FailureAtTheFirstItemLeavesNoEntry)
{
    ASSERT_TRUE(m_undo.record(
        { OrganizePlanItem { m_base.appending(QByteArray("x")), m_base.appending(QByteArray("y")), false } },
        true));
    const QList<OrganizeUndoEntry> before = m_undo.entries();
    m_files.failOnce(
        GetParam() ? Operation::Copy : Operation::MoveNoReplace, EIO, m_items[0].destination.fileName());

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::ApplyFailed);
    EXPECT_TRUE(applied.error().items().isEmpty());
    EXPECT_EQ(m_undo.entries(), before);
}

TEST_P(OrganizeMoveTest, PreflightRefusesBeforeRecordingOrTouching)
{
    ASSERT_TRUE(m_files.remove(m_items[2].source));
    const auto missing = m_organizer.apply(m_items, false);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind(), OrganizeError::Kind::SourceMissing);
    EXPECT_EQ(missing.error().text(), QStringLiteral("源文件不存在：2.flac"));

    writeFile(m_items[2].source, originalContent(2));
    writeFile(m_items[2].destination, "taken");
    const auto taken = m_organizer.apply(m_items, false);
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().kind(), OrganizeError::Kind::DestinationExists);
    EXPECT_EQ(taken.error().text(), QStringLiteral("目标文件已存在，未覆盖：Song 2.flac"));

    EXPECT_TRUE(m_undo.entries().isEmpty());
    EXPECT_EQ(m_files.calls(Operation::MoveNoReplace), 0);
    EXPECT_TRUE(m_organizer.apply({}, false));
    EXPECT_EQ(m_files.calls(Operation::WriteAtomically), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, OrganizeMoveTest, testing::Bool(), [](const testing::TestParamInfo<bool> &info) {
        return std::string(info.param ? "OtherFileSystem" : "SameFileSystem");
    });

class OrganizeAcrossFileSystemsTest : public OrganizeRunFixture, public testing::Test
{
protected:
    void SetUp() override
    {
        if (!prepare(true))
            GTEST_SKIP() << "no second file system";
    }
};

TEST_F(OrganizeAcrossFileSystemsTest, SourceThatCannotBeRemovedTakesItsCopyBack)
{
    m_files.failOnce(Operation::Remove, EBUSY, m_items[1].source.path());

    const auto applied = m_organizer.apply(m_items, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().items(), QList<OrganizePlanItem> { m_items[0] });
    EXPECT_EQ(applied.error().underlying()->fileError().code, EBUSY);
    EXPECT_TRUE(atSource(1));
    EXPECT_FALSE(m_files.exists(m_items[1].destination));

    // Nothing stands beside a source, so the undo of the applied item goes through.
    const auto undone = m_organizer.undoLast();
    ASSERT_TRUE(undone && *undone);
    EXPECT_TRUE(atSource(0));
}

TEST_F(OrganizeAcrossFileSystemsTest, RenameErrorOtherThanCrossDeviceMakesNoCopy)
{
    QTemporaryDir same;
    const FileLocation destination = locationOf(same).appending(QByteArray("moved.flac"));
    m_files.failOnce(Operation::MoveNoReplace, EACCES);

    const auto applied
        = m_organizer.apply({ OrganizePlanItem { m_items[0].source, destination, false } }, false);

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().underlying()->fileError().code, EACCES);
    EXPECT_TRUE(atSource(0));
    EXPECT_TRUE(
        QDir(same.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(OrganizeAcrossFileSystemsTest, UndoOfACopyKeepsCopiesWhoseOriginalIsGone)
{
    ASSERT_TRUE(m_organizer.apply(m_items, true));
    ASSERT_TRUE(m_files.remove(m_items[1].source));

    const auto undone = m_organizer.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, (QList<OrganizePlanItem> { m_items[2], m_items[0] }));
    EXPECT_TRUE(atDestination(1));
    EXPECT_FALSE(m_files.exists(m_items[0].destination));
    EXPECT_TRUE(atSource(0));
    EXPECT_TRUE(atSource(2));
}

} // namespace

class OrganizeStopTest : public OrganizeRunFixture, public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(prepare(false)); }
};

TEST_F(OrganizeStopTest, AStopRequestEndsTheRunBeforeTheNextItemKeepingOnlyTheAppliedOnes)
{
    const auto applied = m_organizer.apply(m_items, false, [&](int done, int) {
        if (done == 1)
            m_organizer.stopBeforeNextItem();
    });

    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().kind(), OrganizeError::Kind::Interrupted);
    EXPECT_EQ(applied.error().items(), QList<OrganizePlanItem>{m_items[0]});
    EXPECT_TRUE(atDestination(0));
    EXPECT_TRUE(atSource(1));
    EXPECT_TRUE(atSource(2));
    ASSERT_EQ(m_undo.entries().size(), 1);
    EXPECT_EQ(m_undo.entries().constLast().items, QList<OrganizePlanItem>{m_items[0]});
}

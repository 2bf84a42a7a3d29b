#include "OrganizeFixture.h"

#include "Organize/FileOrganizer.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

using namespace OrganizeFixture;

namespace {

// Tells the re-run test binary to act as the organising child: "<in>|<out>|<undo>|<copy|move>".
constexpr char childVariable[] = "QUILLMERE_ORGANIZE_CRASH_RUN";
constexpr int fileCount = 300;
const QString layout = QStringLiteral("{artist}/{title}");

QByteArray contentOf(int index)
{
    // Sizes vary up to 192 KiB, so that a kill can land inside a copy.
    return "file " + QByteArray::number(index) + '\n'
        + QByteArray((index % 7) * 32 * 1024, char('a' + index % 26));
}

QByteArray nameOf(int index)
{
    return QByteArray::number(index).rightJustified(4, '0') + ".flac";
}

// Pairs of files share a title within an artist, so the plan numbers names.
Track trackOf(const FileLocation &in, int index)
{
    return trackFor(in.appending(nameOf(index)), QStringLiteral("歌手 %1").arg(index % 10),
        QStringLiteral("Song %1").arg(index / 20));
}

void printLine(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

TEST(OrganizeCrashChild, RunsTheOrganisation)
{
    const QList<QByteArray> settings = qgetenv(childVariable).split('|');
    if (settings.size() != 4)
        GTEST_SKIP() << "runs only as the child of the crash test";
    const FileLocation in = FileLocation::fromPath(settings[0]);
    QList<Track> tracks;
    for (int i = 0; i < fileCount; ++i)
        tracks.append(trackOf(in, i));
    OrganizeUndoStore undo(FileLocation::fromPath(settings[2]), 50);
    FileOrganizer organizer(undo);
    const QList<OrganizePlanItem> items = organizer.plan(tracks, layout, FileLocation::fromPath(settings[1]));

    printLine("0");
    const auto applied = organizer.apply(
        items, settings[3] == "copy", [](int done, int) { printLine(QByteArray::number(done)); });
    ASSERT_TRUE(applied) << applied.error().text().toStdString();
}

struct Scenario
{
    const char *name;
    bool copy;
    bool otherFileSystem;
};

// Each scenario runs many times, each time killed at another random moment.
constexpr int rounds = 50;

class OrganizeCrashTest : public testing::TestWithParam<std::tuple<Scenario, int>>
{
protected:
    static const Scenario &scenario() { return std::get<0>(GetParam()); }

    void SetUp() override
    {
        ASSERT_TRUE(m_temporary.isValid());
        if (scenario().otherFileSystem) {
            m_other = folderOnOtherFileSystem(m_base);
            if (!m_other)
                GTEST_SKIP() << "no second file system";
        }
        m_out = m_other ? locationOf(*m_other) : m_base.appending(QByteArray("out"));
        for (int i = 0; i < fileCount; ++i) {
            QFile file(QFile::decodeName(m_in.appending(nameOf(i)).path()));
            ASSERT_TRUE(QDir().mkpath(m_in.displayPath()) && file.open(QIODevice::WriteOnly));
            ASSERT_EQ(file.write(contentOf(i)), contentOf(i).size());
        }
        for (int i = 0; i < fileCount; ++i)
            m_indexOfContent.insert(contentOf(i), i);
    }

    // Starts the child and kills it once it has reported `items` done, after `delay` µs more.
    void organiseAndKill(int items, int delay)
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(childVariable),
            QFile::decodeName(m_in.path() + '|' + m_out.path() + '|' + m_undo.path() + '|'
                + (scenario().copy ? "copy" : "move")));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--gtest_filter=OrganizeCrashChild.RunsTheOrganisation") });
        ASSERT_TRUE(child.waitForStarted());
        for (;;) {
            while (!child.canReadLine() && child.state() == QProcess::Running)
                child.waitForReadyRead(50);
            if (!child.canReadLine())
                break; // finished before the chosen moment
            if (child.readLine().trimmed().toInt() >= items) {
                QThread::usleep(delay);
                ::kill(pid_t(child.processId()), SIGKILL);
                break;
            }
        }
        child.waitForFinished();
    }

    // How many times each original's full content is found in the source and destination trees;
    // fails on any file that is partial or unknown. Hidden names are a copy's unfinished
    // temporary files, which never stand at a final name.
    QList<int> census(bool allowTemporaries = true)
    {
        QList<int> counts(fileCount, 0);
        for (const FileLocation &root : { m_in, m_out }) {
            QDirIterator files(root.displayPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                if (files.fileName().startsWith(u'.')) {
                    EXPECT_TRUE(allowTemporaries && files.fileName().endsWith(QStringLiteral(".part")))
                        << path.toStdString();
                    continue;
                }
                const auto content = OrganizeFixture::contentOf(FileLocation::fromLocalFile(path));
                const int index = m_indexOfContent.value(content.value_or(QByteArray()), -1);
                EXPECT_GE(index, 0) << "partial or unknown file " << path.toStdString();
                if (index >= 0)
                    ++counts[index];
            }
        }
        return counts;
    }

    bool originalInPlace(int index) const
    {
        return OrganizeFixture::contentOf(m_in.appending(nameOf(index))) == contentOf(index);
    }

    QTemporaryDir m_temporary;
    FileLocation m_base = locationOf(m_temporary);
    FileLocation m_in = m_base.appending(QByteArray("in"));
    FileLocation m_undo = m_base.appending(QByteArray("undo"));
    std::unique_ptr<QTemporaryDir> m_other;
    FileLocation m_out;
    QHash<QByteArray, int> m_indexOfContent;
};

TEST_P(OrganizeCrashTest, KilledRunLosesNothingAndUndoes)
{
    const int items = QRandomGenerator::global()->bounded(fileCount + 1);
    const int delay = QRandomGenerator::global()->bounded(3000);
    SCOPED_TRACE(testing::Message() << "killed after item " << items << " + " << delay << " µs");
    organiseAndKill(items, delay);

    const QList<int> afterKill = census();
    for (int i = 0; i < fileCount; ++i) {
        if (scenario().copy)
            EXPECT_TRUE(originalInPlace(i)) << i;
        else if (scenario().otherFileSystem)
            EXPECT_GE(afterKill[i], 1) << i; // between copy and removal both may stand
        else
            EXPECT_EQ(afterKill[i], 1) << i;
    }

    OrganizeUndoStore undo(m_undo, 50);
    EXPECT_FALSE(undo.loadNotice());
    const auto undone = undo.undoLast();
    ASSERT_TRUE(undone) << undone.error().text().toStdString();

    const QList<int> afterUndo = census(false);
    for (int i = 0; i < fileCount; ++i) {
        EXPECT_TRUE(originalInPlace(i)) << i;
        EXPECT_EQ(afterUndo[i], 1) << i;
    }
    // The folders the run created are gone again.
    EXPECT_TRUE(QDir(m_out.displayPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// A copy takes the same path whatever the file systems; a move across them copies and removes.
const Scenario scenarios[] = {
    { "Move", false, false },
    { "Copy", true, false },
    { "MoveAcrossFileSystems", false, true },
};

INSTANTIATE_TEST_SUITE_P(Runs, OrganizeCrashTest,
    testing::Combine(testing::ValuesIn(scenarios), testing::Range(0, rounds)),
    [](const testing::TestParamInfo<std::tuple<Scenario, int>> &info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::to_string(std::get<1>(info.param));
    });

} // namespace

#include "Library/IndexStore.h"
#include "Library/LibraryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

// A child process saves two large libraries alternately, forever; the parent kills it with SIGKILL
// at random moments and checks that what loads afterwards is always one of the two, whole.

namespace {

constexpr int firstCount = 20000;
constexpr int secondCount = 20001;
const char *childVariable = "QUILLMERE_CRASH_CHILD_DIR";

LibraryIndex libraryOf(const QString &prefix, int count)
{
    LibraryIndex index;
    index.tracks.reserve(count);
    for (int i = 0; i < count; ++i) {
        Track track;
        track.id = QUuid::createUuid();
        track.url = FileLocation::fromPath("/音乐/" + QByteArray::number(i) + ".flac");
        track.title = prefix + QString::number(i) + QStringLiteral(" 晴天");
        track.artist = QStringLiteral("周杰伦");
        track.duration = 200 + i % 100;
        index.tracks.append(track);
    }
    return index;
}

// True when the index is exactly one of the two libraries the child writes.
bool isWholeLibrary(const LibraryIndex &index)
{
    const int count = index.tracks.size();
    const QString prefix = count == firstCount ? QStringLiteral("A") : count == secondCount ? QStringLiteral("B") : QString();
    if (prefix.isEmpty())
        return false;
    for (int i = 0; i < count; ++i) {
        if (index.tracks.at(i).title != prefix + QString::number(i) + QStringLiteral(" 晴天"))
            return false;
    }
    return true;
}

} // namespace

TEST(IndexStoreCrashChild, SavesForever)
{
    const QByteArray folder = qgetenv(childVariable);
    if (folder.isEmpty())
        GTEST_SKIP() << "runs only as the child of the crash test";
    IndexStore store(FileLocation::fromPath(folder));
    const LibraryIndex first = libraryOf(QStringLiteral("A"), firstCount);
    const LibraryIndex second = libraryOf(QStringLiteral("B"), secondCount);
    // Tells the parent that saving starts now, so its kills land during saves however slow the
    // machine is.
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    for (int round = 0;; ++round)
        ASSERT_TRUE(store.saveIndex(round % 2 == 0 ? first : second));
}

TEST(IndexStoreCrash, KilledSavesNeverLeaveAPartialLibrary)
{
    QTemporaryDir dir;
    const FileLocation folder = FileLocation::fromLocalFile(dir.path()).appending(QByteArray("data"));
    ASSERT_TRUE(IndexStore(folder).saveIndex(libraryOf(QStringLiteral("A"), firstCount)));
    QRandomGenerator random(QRandomGenerator::global()->generate());
    for (int round = 0; round < 100; ++round) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(childVariable), QString::fromUtf8(folder.path()));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=IndexStoreCrashChild.SavesForever")});
        ASSERT_TRUE(child.waitForStarted());
        QByteArray output;
        while (!(output += child.readAllStandardOutput()).contains("saving"))
            ASSERT_TRUE(child.waitForReadyRead(60000)) << "the child never started saving";
        QThread::msleep(random.bounded(400));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped on its own";

        IndexStore store(folder);
        const auto loaded = store.decode<LibraryIndex>(folder.appending(QByteArray("library.json")));
        ASSERT_TRUE(loaded.value.has_value()) << "round " << round;
        ASSERT_TRUE(isWholeLibrary(*loaded.value)) << "round " << round;
    }
    // The next start clears the temporaries of the saves that were cut short.
    LibraryStore(folder).load();
    const QStringList hidden =
        QDir(dir.path() + QStringLiteral("/data")).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(u' ').toStdString();
}

#include "FakeProgram.h"
#include "Transcode/FFmpegLocator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FFmpegLocatorTest : public ::testing::Test
{
protected:
    QString folder(const QString &name) const
    {
        const QString path = QDir(root.path()).filePath(name);
        QDir().mkpath(path);
        return path;
    }
    // An executable named `name` in the folder `folderName`; returns its path.
    QString executable(const QString &folderName, const QString &name = QStringLiteral("ffmpeg")) const
    {
        return QString::fromUtf8(FakeProgram::write(folder(folderName), name, "exit 0\n").path());
    }
    static QProcessEnvironment withPath(const QString &path)
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), path);
        return environment;
    }
    static std::optional<QString> pathOf(const std::optional<FileLocation> &location)
    {
        return location ? std::optional(QString::fromUtf8(location->path())) : std::nullopt;
    }

    QTemporaryDir root;
};

TEST_F(FFmpegLocatorTest, CustomPathIsTrimmedAndPreferredToEveryOtherPlace)
{
    const QString custom = executable(QStringLiteral("custom"));
    executable(QStringLiteral("fixed"));
    executable(QStringLiteral("path"));

    const auto found = FFmpegLocator::find(QStringLiteral("  %1\n").arg(custom), withPath(folder(QStringLiteral("path"))),
                                           {folder(QStringLiteral("fixed"))});

    EXPECT_EQ(pathOf(found), custom);
}

// A custom path that names no executable falls back to the fixed folders without a report.
class FFmpegLocatorCustomFallbackTest : public FFmpegLocatorTest,
                                        public ::testing::WithParamInterface<const char *>
{
};

TEST_P(FFmpegLocatorCustomFallbackTest, FallsBackToFixedFolders)
{
    const QString fixed = executable(QStringLiteral("fixed"));
    FakeProgram::writeNonExecutable(folder(QStringLiteral("custom")), QStringLiteral("plain"));
    QDir().mkpath(folder(QStringLiteral("custom")) + QStringLiteral("/folder"));
    QFile::setPermissions(folder(QStringLiteral("custom")) + QStringLiteral("/folder"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    QString custom = QString::fromUtf8(GetParam());
    custom.replace(QStringLiteral("$ROOT"), root.path());

    const auto found = FFmpegLocator::find(custom, withPath(QString()), {folder(QStringLiteral("fixed"))});

    EXPECT_EQ(pathOf(found), fixed);
}

INSTANTIATE_TEST_SUITE_P(Custom, FFmpegLocatorCustomFallbackTest,
                         ::testing::Values("", "   \n", "$ROOT/custom/plain", "$ROOT/custom/missing",
                                           "$ROOT/custom/folder"));

TEST_F(FFmpegLocatorTest, FixedFoldersWinInTheirOrderOverTheSearchPath)
{
    const QString first = executable(QStringLiteral("local"));
    const QString second = executable(QStringLiteral("homebrew"));
    executable(QStringLiteral("path"));
    const QStringList fixed{folder(QStringLiteral("local")), folder(QStringLiteral("homebrew"))};
    const auto environment = withPath(folder(QStringLiteral("path")));

    EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, environment, fixed)), first);
    QFile::remove(first);
    EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, environment, fixed)), second);
}

TEST_F(FFmpegLocatorTest, DefaultFixedFoldersAreTheUsualInstallPlaces)
{
    EXPECT_EQ(FFmpegLocator::defaultFixedDirectories(),
              (QStringList{QStringLiteral("/usr/local/bin"), QStringLiteral("/opt/homebrew/bin")}));
}

TEST_F(FFmpegLocatorTest, SearchPathSkipsEmptyPieces)
{
    const QString onPath = executable(QStringLiteral("path"));

    const auto found = FFmpegLocator::find(std::nullopt, withPath(QStringLiteral("::%1::").arg(folder(QStringLiteral("path")))), {});

    EXPECT_EQ(pathOf(found), onPath);
}

TEST_F(FFmpegLocatorTest, RelativeSearchPathEntriesNeverSupplyAnExecutable)
{
    executable(QStringLiteral("work"));
    executable(QStringLiteral("work/bin"));
    const QString absolute = executable(QStringLiteral("path"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder(QStringLiteral("work")));

    const auto found = FFmpegLocator::find(
        std::nullopt, withPath(QStringLiteral(".:bin:%1").arg(folder(QStringLiteral("path")))), {});
    QDir::setCurrent(previous);

    EXPECT_EQ(pathOf(found), absolute);
}

TEST_F(FFmpegLocatorTest, FolderNamedFFmpegIsNotAnExecutable)
{
    QDir().mkpath(folder(QStringLiteral("first")) + QStringLiteral("/ffmpeg"));
    const QString file = executable(QStringLiteral("second"));

    const auto found = FFmpegLocator::find(std::nullopt, withPath(folder(QStringLiteral("second"))),
                                           {folder(QStringLiteral("first"))});

    EXPECT_EQ(pathOf(found), file);
}

TEST_F(FFmpegLocatorTest, MissingPathSearchesTheSystemFolders)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/ffmpeg")))
        GTEST_SKIP() << "no ffmpeg in /usr/bin";

    const auto found = FFmpegLocator::find(std::nullopt, QProcessEnvironment(), {});

    EXPECT_EQ(pathOf(found), QStringLiteral("/usr/bin/ffmpeg"));
}

TEST_F(FFmpegLocatorTest, NothingFoundGivesNothing)
{
    FakeProgram::writeNonExecutable(folder(QStringLiteral("path")), QStringLiteral("ffmpeg"));

    EXPECT_EQ(FFmpegLocator::find(std::nullopt, withPath(folder(QStringLiteral("path"))), {}), std::nullopt);
}

TEST_F(FFmpegLocatorTest, FFprobeBesideFFmpegIsPreferredThenFixedFoldersThenSearchPath)
{
    const FileLocation ffmpeg = FileLocation::fromLocalFile(executable(QStringLiteral("custom")));
    const QString sibling = executable(QStringLiteral("custom"), QStringLiteral("ffprobe"));
    const QString fixed = executable(QStringLiteral("fixed"), QStringLiteral("ffprobe"));
    const QString onPath = executable(QStringLiteral("path"), QStringLiteral("ffprobe"));
    const auto environment = withPath(folder(QStringLiteral("path")));
    const QStringList fixedFolders{folder(QStringLiteral("fixed"))};

    EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders)), sibling);
    QFile::remove(sibling);
    EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders)), fixed);
    QFile::remove(fixed);
    EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders)), onPath);
    QFile::remove(onPath);
    EXPECT_EQ(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders), std::nullopt);
}

} // namespace

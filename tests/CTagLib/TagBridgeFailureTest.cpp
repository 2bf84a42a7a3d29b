#include "AudioFixture.h"
#include "BridgeFixture.h"

#include "CTagLib/TemporaryCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace BridgeFixture;

namespace {

const QJsonObject newTitle{{"title", QStringLiteral("新标题")}};

QString copyFailure(std::errc error)
{
    return QStringLiteral("无法创建临时文件: ") + QString::fromStdString(std::make_error_code(error).message());
}

// Writing beyond this many bytes fails with EFBIG, which makes copies fail even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int);
};

class TagBridgeFailure : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        audio = AudioFixture::makeTone(folder.path(), "tone.flac", 1.0);
        ASSERT_FALSE(audio.isEmpty());
        original = fileBytes(audio);
    }

    void expectUntouched()
    {
        EXPECT_EQ(fileBytes(audio), original);
        EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty()) << temporaryLeftovers(folder.path()).join(' ').toStdString();
    }

    QTemporaryDir folder;
    QString audio;
    QByteArray original;
};

TEST_F(TagBridgeFailure, missingFileFails)
{
    const QString missing = folder.filePath("missing.mp3");
    EXPECT_EQ(writeTags(missing, newTitle), QStringLiteral("文件不存在"));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(readTags(missing).has_value());
    expectUntouched();
}

TEST_F(TagBridgeFailure, folderFailsAtTheCopy)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("album.mp3"));
    EXPECT_EQ(writeTags(folder.filePath("album.mp3"), newTitle), copyFailure(std::errc::is_a_directory));
    EXPECT_FALSE(readTags(folder.filePath("album.mp3")).has_value());
    expectUntouched();
}

TEST_F(TagBridgeFailure, fifoFailsAtTheCopyWithoutBlocking)
{
    const QString fifo = folder.filePath("pipe.mp3");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(readTags(fifo).has_value());
    EXPECT_EQ(writeTags(fifo, newTitle), copyFailure(std::errc::not_supported));
    expectUntouched();
}

TEST_F(TagBridgeFailure, symlinkUpdatesTheFileItPointsToAndStaysALink)
{
    QTemporaryDir linkFolder;
    const QString link = linkFolder.filePath("link.flac");
    ASSERT_TRUE(QFile::link(audio, link));
    ASSERT_EQ(writeTags(link, newTitle), QString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), audio);
    EXPECT_EQ(readTags(audio).value_or(QJsonObject())["title"], newTitle["title"]);
    EXPECT_EQ(decodedSamples(audio), decodedSamples(link));
    EXPECT_TRUE(temporaryLeftovers(linkFolder.path()).isEmpty());
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}

TEST_F(TagBridgeFailure, copyThatCannotBeWrittenFailsAndLeavesNothing)
{
    QString message;
    {
        const FileSizeLimit limit(4096);
        message = writeTags(audio, newTitle);
    }
    EXPECT_EQ(message, copyFailure(std::errc::file_too_large));
    expectUntouched();
}

TEST_F(TagBridgeFailure, writeKeepsThePermissions)
{
    ASSERT_TRUE(QFile::setPermissions(audio, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_EQ(writeTags(audio, newTitle), QString());
    struct stat status{};
    ASSERT_EQ(stat(QFile::encodeName(audio).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(TagBridgeFailure, copyNeverWritesThroughSomethingAtItsName)
{
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("victim");
    QFile victimFile(victim);
    ASSERT_TRUE(victimFile.open(QIODevice::WriteOnly));
    victimFile.write("keep");
    victimFile.close();
    const std::string planted = QFile::encodeName(folder.filePath("tone.flac.planted.tmp")).toStdString();
    ASSERT_TRUE(QFile::link(victim, QString::fromStdString(planted)));

    std::error_code error;
    EXPECT_EQ(TemporaryCopy::make(QFile::encodeName(audio).toStdString(), planted, error), nullptr);
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_EQ(fileBytes(victim), "keep");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(planted)).isSymLink());
}

TEST_F(TagBridgeFailure, copyInAFolderThatIsAFileFails)
{
    QFile notAFolder(folder.filePath("notAFolder"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    std::error_code error;
    EXPECT_EQ(TemporaryCopy::make(QFile::encodeName(audio).toStdString(),
                                  QFile::encodeName(folder.filePath("notAFolder/copy.tmp")).toStdString(), error),
              nullptr);
    EXPECT_EQ(error, std::errc::not_a_directory);
    expectUntouched();
}

TEST_F(TagBridgeFailure, failedReplaceRemovesTheCopy)
{
    const std::string target = QFile::encodeName(folder.filePath("target")).toStdString();
    ASSERT_TRUE(QFile::copy(audio, QString::fromStdString(target)));
    const std::string copyPath = target + ".quillmere-test.tmp";
    std::error_code error;
    auto copy = TemporaryCopy::make(target, copyPath, error);
    ASSERT_NE(copy, nullptr) << error.message();
    EXPECT_EQ(fileBytes(QString::fromStdString(copyPath)), original);

    // The file turns into a folder with content before the rename: the rename must fail.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(target)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(target + "/inside")));
    EXPECT_TRUE(copy->replaceTarget());
    copy.reset();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(copyPath)));
    expectUntouched();
}

} // namespace

#include "AudioFixture.h"
#include "BridgeFixture.h"

#include "CTagLib/TemporaryCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

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

QString coverText(qsizetype bytes)
{
    return QString::fromLatin1((QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(bytes - 4, 'c')).toBase64());
}

TEST_F(TagBridgeFailure, copyThatCannotGrowFailsAndLeavesNothing)
{
    QString message;
    {
        const FileSizeLimit limit(rlim_t(original.size()) + 4096);
        message = writeTags(audio, QJsonObject{{"artworkBase64", coverText(64 * 1024)}});
    }
    EXPECT_EQ(message, QStringLiteral("保存标签失败: ") + QString::fromStdString(std::make_error_code(std::errc::file_too_large).message()));
    expectUntouched();
}

// A 600 KB file system holding the file and filler that leaves 164 KB free: the copy fits, a
// 98 KB cover on top of it does not.
TEST(TagBridgeFullDisk, writeThatWouldFillTheDiskFailsAndLeavesTheFileAsItWas)
{
    QTemporaryDir source;
    QTemporaryDir mountPoint;
    ASSERT_TRUE(source.isValid() && mountPoint.isValid());
    const QByteArray point = QFile::encodeName(mountPoint.path());
    if (::mount("tmpfs", point.constData(), "tmpfs", 0, "size=600k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount
    {
        QByteArray point;
        ~Unmount() { ::umount2(point.constData(), MNT_DETACH); }
    } unmount{point};

    for (const auto &[name, extra] : {std::pair{"tone.mp3", QStringList{}},
                                      std::pair{"tone.m4a", QStringList{"-c:a", "alac"}}}) {
        SCOPED_TRACE(name);
        const QString made = AudioFixture::makeTone(source.path(), QString::fromLatin1(name), name[5] == 'm' ? 7.5 : 0.3,
                                                    1000, extra);
        ASSERT_FALSE(made.isEmpty());
        const QString audio = mountPoint.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::copy(made, audio));
        const QByteArray original = fileBytes(audio);
        struct statvfs space{};
        ASSERT_EQ(::statvfs(point.constData(), &space), 0);
        const qint64 filler = qint64(space.f_bavail * space.f_frsize) - 164 * 1024;
        ASSERT_GT(filler, 0);
        QFile fill(mountPoint.filePath(QStringLiteral("filler")));
        ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
        ASSERT_EQ(fill.write(QByteArray(filler, 'f')), filler);
        fill.close();

        EXPECT_EQ(writeTags(audio, QJsonObject{{"artworkBase64", coverText(98 * 1024)}}),
                  QStringLiteral("磁盘空间不足，无法写入标签，文件未改动"));
        EXPECT_EQ(fileBytes(audio), original);
        EXPECT_TRUE(temporaryLeftovers(mountPoint.path()).isEmpty());
        ASSERT_TRUE(QFile::remove(audio) && fill.remove());
    }
}

// Formats whose tag takes no picture, and a field the tag of a WAV file with a broken chunk loses.
TEST(TagBridgeReadBack, fieldsThatDoNotReadBackFailTheWrite)
{
    QTemporaryDir folder;
    for (const char *name : {"tone.wv", "tone.tta"}) {
        SCOPED_TRACE(name);
        const QString audio = AudioFixture::makeTone(folder.path(), QString::fromLatin1(name), 0.3);
        ASSERT_FALSE(audio.isEmpty());
        const QByteArray original = fileBytes(audio);
        EXPECT_EQ(writeTags(audio, QJsonObject{{"title", "t"}, {"artworkBase64", coverText(1024)}}),
                  QStringLiteral("该格式无法保存所写的全部标签，文件未改动"));
        EXPECT_EQ(fileBytes(audio), original);
        EXPECT_EQ(writeTags(audio, QJsonObject{{"title", "t"}}), QString());
    }
    EXPECT_TRUE(temporaryLeftovers(folder.path()).isEmpty());
}

// Chunk sizes that do not add up to the file: the data chunk claims nothing, or the RIFF size
// claims more or less than there is.
TEST(TagBridgeReadBack, wavWhoseChunkSizesDoNotMatchTheFileIsRefused)
{
    QTemporaryDir folder;
    const QString audio = AudioFixture::makeTone(folder.path(), QStringLiteral("tone.wav"), 0.3);
    ASSERT_FALSE(audio.isEmpty());
    const QByteArray good = fileBytes(audio);
    const qsizetype data = good.indexOf("data");
    ASSERT_GT(data, 0);
    const auto withSize = [&](qsizetype at, quint32 size) {
        QByteArray bytes = good;
        qToLittleEndian(size, bytes.data() + at);
        return bytes;
    };
    for (const QByteArray &damaged : {withSize(data + 4, 0), withSize(4, quint32(good.size())),
                                      withSize(4, quint32(good.size() - 100))}) {
        QFile file(audio);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
        file.close();
        EXPECT_EQ(writeTags(audio, QJsonObject{{"title", "t"}}),
                  QStringLiteral("WAV 文件的块大小与文件长度不符，无法写入标签"));
        EXPECT_EQ(fileBytes(audio), damaged);
    }
}

} // namespace

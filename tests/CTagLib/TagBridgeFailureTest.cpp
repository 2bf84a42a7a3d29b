#include "AudioFixture.h"
#include "BridgeFixture.h"
#include "CTagLib/TemporaryCopy.h"
#include "CTagLib/taglib_bridge.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST_F(TagBridgeFailure, whatIsNoRegularFileFailsWithoutBlocking)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("album.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("pipe.mp3")).constData(), 0600), 0);
    const std::pair<const char *, QString> cases[] = {{"missing.mp3", QStringLiteral("文件不存在")},
                                                      {"album.mp3", copyFailure(std::errc::is_a_directory)},
                                                      {"pipe.mp3", copyFailure(std::errc::not_supported)}};
    for (const auto &[name, message] : cases) {
        EXPECT_FALSE(readTags(folder.filePath(name)).has_value()) << name;
        EXPECT_EQ(writeTags(folder.filePath(name), newTitle), message) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("missing.mp3")));
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

    QFile notAFolder(folder.filePath("notAFolder"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    EXPECT_EQ(TemporaryCopy::make(QFile::encodeName(audio).toStdString(),
                                  QFile::encodeName(folder.filePath("notAFolder/copy.tmp")).toStdString(), error),
              nullptr);
    EXPECT_EQ(error, std::errc::not_a_directory);
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

// The copy cannot be written at all, or cannot grow by the new cover.
TEST_F(TagBridgeFailure, copyThatCannotBeWrittenOrGrowFailsAndLeavesNothing)
{
    const std::pair<rlim_t, QString> cases[] = {
        {4096, copyFailure(std::errc::file_too_large)},
        {rlim_t(original.size()) + 4096,
         QStringLiteral("保存标签失败: ") + QString::fromStdString(std::make_error_code(std::errc::file_too_large).message())}};
    for (const auto &[limit, expected] : cases) {
        QString message;
        {
            const FileSizeLimit sizeLimit(limit);
            message = writeTags(audio, QJsonObject{{"artworkBase64", coverText(64 * 1024)}});
        }
        EXPECT_EQ(message, expected);
        expectUntouched();
    }
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


QJsonObject tagsNamed(const QString &title, char coverFill)
{
    return {{"title", title}, {"artworkBase64", QString::fromLatin1(pngImage(coverFill).toBase64())}};
}

// A writer killed at any moment leaves the old file or the new one, never a mix or a broken one.
TEST(TagBridgeCrash, killedWriterLeavesOldOrNewFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = AudioFixture::makeTone(folder.path(), "long.flac", 120.0, 523);
    ASSERT_FALSE(path.isEmpty());
    const QByteArray samplesHash = QCryptographicHash::hash(decodedSamples(path), QCryptographicHash::Sha256);
    const QByteArray nativePath = QFile::encodeName(path);
    const QByteArray jsonA = QJsonDocument(tagsNamed("A", 'a')).toJson(QJsonDocument::Compact);
    const QByteArray jsonB = QJsonDocument(tagsNamed("B", 'b')).toJson(QJsonDocument::Compact);

    bool sawWrittenTags = false;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned count = 0;; ++count)
                quillmere_write_tags(nativePath.constData(), (count % 2 ? jsonB : jsonA).constData(), nullptr);
        }
        usleep(useconds_t(QRandomGenerator::global()->bounded(5000, 150000)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        const std::optional<QJsonObject> tags = readTags(path);
        ASSERT_TRUE(tags.has_value()) << "round " << round;
        const QJsonValue title = tags->value("title");
        if (title.isNull()) {
            EXPECT_EQ(tags->value("artworkBase64"), QJsonValue::Null);
        } else {
            sawWrittenTags = true;
            const QJsonObject expected = tagsNamed(title.toString(), title == "A" ? 'a' : 'b');
            EXPECT_TRUE(title == "A" || title == "B") << title.toString().toStdString();
            EXPECT_EQ(tags->value("artworkBase64"), expected["artworkBase64"]);
        }
        EXPECT_EQ(QCryptographicHash::hash(decodedSamples(path), QCryptographicHash::Sha256), samplesHash)
            << "round " << round;
    }
    EXPECT_TRUE(sawWrittenTags);
}

} // namespace

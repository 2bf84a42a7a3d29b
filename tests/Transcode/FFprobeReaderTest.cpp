#include "FakeProgram.h"
#include "ToneFile.h"
#include "Transcode/FFmpegLocator.h"
#include "Transcode/FFprobeReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A fake ffprobe beside a fake ffmpeg: prints the file "answer", exits with the number in
// "status" and logs its arguments to "arguments".
class FFprobeReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ffmpeg = FakeProgram::write(tools(), QStringLiteral("ffmpeg"), "exit 0\n");
        FakeProgram::write(tools(), QStringLiteral("ffprobe"),
                           "dir=$(dirname \"$0\")\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/arguments\"\n"
                           "cat \"$dir/answer\"\n"
                           "exit $(cat \"$dir/status\")\n");
        answer("", 0);
    }
    QString tools() const { return QDir(folder.path()).filePath(QStringLiteral("tools")); }
    void answer(const QByteArray &output, int status) const
    {
        write(QDir(tools()).filePath(QStringLiteral("answer")), output);
        write(QDir(tools()).filePath(QStringLiteral("status")), QByteArray::number(status));
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    std::optional<double> probe(const FileLocation &file) const
    {
        return FFprobeReader::duration(file, ffmpeg, QProcessEnvironment());
    }

    QTemporaryDir folder;
    FileLocation ffmpeg;
};

struct ProbeCase
{
    const char *output;
    int status;
    std::optional<double> seconds;
};

class FFprobeReaderOutputTest : public FFprobeReaderTest, public ::testing::WithParamInterface<ProbeCase>
{
};

TEST_P(FFprobeReaderOutputTest, OnlyAFinitePositiveNumberIsADuration)
{
    answer(GetParam().output, GetParam().status);

    EXPECT_EQ(probe(FileLocation::fromPath("/music/a.ogg")), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, FFprobeReaderOutputTest,
    ::testing::Values(ProbeCase{"245.333000\n", 0, 245.333}, ProbeCase{"  7.5 \r\n", 0, 7.5},
                      ProbeCase{"1.5e2\n", 0, 150.0}, ProbeCase{"N/A\n", 0, std::nullopt},
                      ProbeCase{"0\n", 0, std::nullopt}, ProbeCase{"-1\n", 0, std::nullopt},
                      ProbeCase{"", 0, std::nullopt}, ProbeCase{"inf\n", 0, std::nullopt},
                      ProbeCase{"-inf\n", 0, std::nullopt}, ProbeCase{"nan\n", 0, std::nullopt},
                      ProbeCase{"1e999\n", 0, std::nullopt}, ProbeCase{"12,5\n", 0, std::nullopt},
                      ProbeCase{"12.5 s\n", 0, std::nullopt}, ProbeCase{"12.5\n13.0\n", 0, std::nullopt},
                      ProbeCase{"\xff" "12\n", 0, std::nullopt}, ProbeCase{"12.5\n", 1, std::nullopt}));

TEST_F(FFprobeReaderTest, AsksForTheFormatDurationOfTheAbsolutePath)
{
    answer("3.0\n", 0);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());

    const auto seconds = probe(FileLocation::fromPath("music/-a.ogg"));
    QDir::setCurrent(previous);

    EXPECT_EQ(seconds, 3.0);
    EXPECT_EQ(FakeProgram::readLines(QDir(tools()).filePath(QStringLiteral("arguments"))),
              (QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                           QStringLiteral("format=duration"), QStringLiteral("-of"),
                           QStringLiteral("default=nw=1:nk=1"), folder.path() + QStringLiteral("/music/-a.ogg")}));
}

TEST_F(FFprobeReaderTest, NoFFprobeGivesNothing)
{
    QFile::remove(QDir(tools()).filePath(QStringLiteral("ffprobe")));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), tools());

    EXPECT_EQ(FFprobeReader::duration(FileLocation::fromPath("/music/a.ogg"), ffmpeg, environment), std::nullopt);
}

// Real ffprobe over real audio files, including a name whose bytes are GBK, not UTF-8.
class FFprobeReaderRealTest : public ::testing::TestWithParam<QByteArray>
{
};

TEST_P(FFprobeReaderRealTest, ReadsTheDurationOfRealAudio)
{
    const auto ffmpeg = ToneFile::systemFFmpeg();
    if (!ffmpeg)
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir folder;
    const ToneFile tone(folder.path(), GetParam());
    ASSERT_TRUE(tone.isValid());

    const auto seconds = FFprobeReader::duration(tone.location(), *ffmpeg, QProcessEnvironment::systemEnvironment());

    ASSERT_TRUE(seconds.has_value());
    EXPECT_NEAR(*seconds, 2.0, 0.05);
    const QByteArray ourLinks = ".quillmere-link-" + QByteArray::number(::getpid()) + '-';
    for (const QString &name : QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        EXPECT_FALSE(name.toLatin1().startsWith(ourLinks)) << "link left behind: " << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, FFprobeReaderRealTest,
                         ::testing::Values(QByteArray("tone.flac"), QByteArray("tone.ogg"),
                                           QByteArray("tone.opus"), QByteArray("\xb8\xe8\xc7\xfa.ogg")));

} // namespace

#include "TagEditorFixture.h"

#include "AudioFixture.h"
#include "TagServiceIO.h"
#include "Views/TagCoverSection.h"
#include "Views/TagTextFieldRow.h"

#include "Tags/TagService.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The audio packets of a file as ffmpeg copies them without decoding; tags are not part of it.
QByteArray audioStreamHash(const FileLocation &file)
{
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_qs,
        { u"-v"_qs, u"error"_qs, u"-i"_qs, file.displayPath(), u"-map"_qs, u"0:a"_qs, u"-c"_qs, u"copy"_qs,
            u"-f"_qs, u"hash"_qs, u"-hash"_qs, u"sha256"_qs, u"-"_qs });
    ffmpeg.waitForFinished(30000);
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    return ffmpeg.readAllStandardOutput().trimmed();
}

QByteArray coverBytes(const char *format, QColor colour)
{
    QImage image(600, 600, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

class TagEditorOnRealFilesTest : public TagEditorFixture
{
protected:
    FileLocation writeCover(const QString &name, const QByteArray &bytes)
    {
        QFile file(folder.path() + QLatin1Char('/') + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return FileLocation::fromLocalFile(file.fileName());
    }

    Track trackOf(const QString &path) const
    {
        const FileLocation file = FileLocation::fromLocalFile(path);
        const auto track = std::ranges::find(model->tracks(), file, &Track::url);
        EXPECT_NE(track, model->tracks().cend()) << path.toStdString();
        return track != model->tracks().cend() ? *track : Track {};
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(TagEditorOnRealFilesTest, TitleAndCoverReachOneFlacAndABatchOfThreeMp3sWithTheirAudioUntouched)
{
    if (!AudioFixture::ffmpegAvailable())
        GTEST_SKIP() << "no ffmpeg";
    const QString album = folder.path() + u"/叶惠美"_qs;
    QDir().mkpath(album);
    const QString flac = AudioFixture::makeTone(album, u"晴天.flac"_qs, 0.5, 440);
    QStringList mp3s;
    for (int i = 1; i <= 3; ++i)
        mp3s.append(AudioFixture::makeTone(album, QStringLiteral("第%1首.mp3").arg(i), 0.5, 300 + 100 * i));
    buildModelWith(std::make_shared<TagServiceIO>());
    model->importFolders({ FileLocation::fromLocalFile(album) });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !model->isScanning() && model->tracks().size() == 5 + 4; }, 20000));
    QHash<QString, QByteArray> audio;
    const QStringList everyFile = QStringList(mp3s) << flac;
    for (const QString &path : everyFile)
        audio.insert(path, audioStreamHash(FileLocation::fromLocalFile(path)));

    const QByteArray png = coverBytes("PNG", QColor(30, 120, 200));
    TagEditorView &single = open({ trackOf(flac) });
    single.titleRow()->setText(u"晴天"_qs);
    single.coverSection()->takeCoverFile(writeCover(u"cover.png"_qs, png));
    awaitCover();
    saveAndWait();
    EXPECT_EQ(single.result(), QDialog::Accepted);
    const std::optional<TagFields> flacTags = TagService().read(FileLocation::fromLocalFile(flac));
    ASSERT_TRUE(flacTags);
    EXPECT_EQ(flacTags->title, u"晴天"_qs);
    EXPECT_EQ(flacTags->artworkBase64, QString::fromLatin1(png.toBase64()));
    EXPECT_EQ(trackOf(flac).title, u"晴天"_qs);

    const QByteArray jpeg = coverBytes("JPEG", QColor(200, 80, 30));
    QList<Track> batch;
    for (const QString &path : mp3s)
        batch.append(trackOf(path));
    TagEditorView &sheet = open(batch);
    sheet.titleRow()->setText(u"  同一首  "_qs);
    sheet.coverSection()->takeCoverFile(writeCover(u"cover.jpg"_qs, jpeg));
    awaitCover();
    saveAndWait();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    for (const QString &path : mp3s) {
        SCOPED_TRACE(path.toStdString());
        const std::optional<TagFields> tags = TagService().read(FileLocation::fromLocalFile(path));
        ASSERT_TRUE(tags);
        EXPECT_EQ(tags->title, u"同一首"_qs);
        EXPECT_EQ(tags->artworkBase64, QString::fromLatin1(jpeg.toBase64()));
        EXPECT_EQ(tags->album, std::nullopt);
    }
    EXPECT_EQ(model->statusMessage(), u"已更新 3 首歌曲的标签。"_qs);

    for (auto it = audio.cbegin(); it != audio.cend(); ++it)
        EXPECT_EQ(audioStreamHash(FileLocation::fromLocalFile(it.key())), it.value())
            << it.key().toStdString();
}

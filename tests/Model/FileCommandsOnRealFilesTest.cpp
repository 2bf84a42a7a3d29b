#include "FileCommandFixture.h"

#include "AudioFixture.h"
#include "TagServiceIO.h"

#include "Tags/TagService.h"

#include <QProcess>

namespace {

// The audio packets of a file, as ffmpeg copies them without decoding: tags are not part of it.
QByteArray audioStreamHash(const FileLocation &file)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                                                       file.displayPath()}
                                               + QStringLiteral("-map 0:a -c copy -f hash -hash sha256 -").split(u' '));
    ffmpeg.waitForFinished(30000);
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    return ffmpeg.readAllStandardOutput().trimmed();
}

// The library's tracks and the files agree: every file is where its track says, with the size and
// title the track holds.
void expectLibraryMatchesDisk(const AppModel &model, const char *step)
{
    SCOPED_TRACE(step);
    const TagService tags;
    for (const Track &track : model.tracks()) {
        const auto status = FileOperations::system().status(track.url);
        ASSERT_TRUE(status) << track.url.displayPath().toStdString();
        EXPECT_EQ(track.fileSize, status->size);
        EXPECT_EQ(tags.read(track.url)->title, track.title);
        EXPECT_FALSE(track.isMissing);
    }
}

class FileCommandsOnRealFilesTest : public FileCommandFixture
{
};

} // namespace

TEST_F(FileCommandsOnRealFilesTest, EditUndoOrganiseAndUndoTwentyFilesKeepTheirAudio)
{
    if (!AudioFixture::ffmpegAvailable())
        GTEST_SKIP() << "no ffmpeg";
    const QString in = temporary.path() + QStringLiteral("/Music/in");
    QDir().mkpath(in);
    QList<FileLocation> files;
    for (int i = 0; i < 20; ++i) {
        const QString name = QStringLiteral("%1 - Song %2.%3").arg(i % 2 ? "周杰伦" : "Band").arg(i).arg(i % 2 ? "mp3" : "flac");
        files.append(FileLocation::fromLocalFile(AudioFixture::makeTone(in, name, 0.3, 300 + 20 * i)));
        const TagFields tags{.title = QStringLiteral("Song %1").arg(i),
                             .artist = i % 2 ? QStringLiteral("周杰伦") : QStringLiteral("Band")};
        ASSERT_TRUE(TagService().write(tags, files.last()));
    }
    AppModelEnvironment made = environment.make();
    made.makeTagIO = [] { return std::make_shared<TagServiceIO>(); };
    model = std::make_unique<AppModel>(directory, std::move(made));
    model->importFolders({FileLocation::fromLocalFile(in)});
    awaitIdle();
    ASSERT_EQ(model->tracks().size(), 20);
    expectLibraryMatchesDisk(*model, "imported");
    QHash<QUuid, QByteArray> audio;
    for (const Track &track : model->tracks()) {
        audio.insert(track.id, audioStreamHash(track.url));
        ASSERT_TRUE(audio.value(track.id).startsWith("SHA256=")) << audio.value(track.id).toStdString();
    }
    const auto expectAudioUnchanged = [&](const char *step) {
        SCOPED_TRACE(step);
        for (const Track &track : model->tracks())
            EXPECT_EQ(audioStreamHash(track.url), audio.value(track.id));
    };

    EXPECT_EQ(await(model->applyTagEdit({.title = u"新标题"_qs, .album = u"合集"_qs}, model->tracks())), std::nullopt);
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已更新 20 首歌曲的标签。"));
    EXPECT_EQ(model->tracks().constFirst().title, QStringLiteral("新标题"));
    expectLibraryMatchesDisk(*model, "edited");
    expectAudioUnchanged("edited");

    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(await(model->undoLastTagEdit()).startsWith(QStringLiteral("已撤销对《")));
    EXPECT_EQ(model->tagUndoCount(), 0);
    expectLibraryMatchesDisk(*model, "edit undone");
    for (const Track &track : model->tracks())
        EXPECT_EQ(TagService().read(track.url)->album, std::nullopt);
    expectAudioUnchanged("edit undone");

    const FileLocation root = FileLocation::fromLocalFile(temporary.path()).appending(QByteArrayLiteral("Sorted"));
    const QList<OrganizePlanItem> plan =
        model->organizer().plan(model->tracks(), QStringLiteral("{artist}/{title}"), root);
    ASSERT_EQ(plan.size(), 20);
    EXPECT_EQ(await(model->performOrganize(plan, false, root)), std::nullopt);
    for (const Track &track : model->tracks())
        EXPECT_TRUE(track.url.isUnder(root));
    expectLibraryMatchesDisk(*model, "organised");
    expectAudioUnchanged("organised");

    EXPECT_EQ(model->undoLastOrganize(), QStringLiteral("已恢复 20 个文件到原位置。"));
    for (const Track &track : model->tracks())
        EXPECT_TRUE(track.url.isUnder(FileLocation::fromLocalFile(in)));
    expectLibraryMatchesDisk(*model, "organisation undone");
    expectAudioUnchanged("organisation undone");
}

#include "FileCommandFixture.h"

namespace {

// Chinese text as it reads after its UTF-8 bytes were taken for Latin-1.
QString garbled(const QString &text)
{
    return QString::fromLatin1(text.toUtf8());
}

const QString note = QStringLiteral("\n\n只写入支持标签编辑的格式，音频内容不会改变；可撤销。");

class MojibakeRepairCommandTest : public FileCommandFixture
{
protected:
    // Tracks "歌1"… whose files hold the garbled title and artist.
    QList<Track> seedGarbled(int count, bool garbledArtist = false)
    {
        QList<Track> tracks;
        for (int i = 1; i <= count; ++i) {
            tracks.append(makeTrack(QStringLiteral("歌%1").arg(i)));
            const TagFields tags{.title = garbled(QStringLiteral("晴天%1").arg(i)),
                                 .artist = garbledArtist ? std::optional(garbled(u"周杰伦"_qs)) : std::nullopt};
            environment.tags->setTags(tracks.last().url, tags);
        }
        seed(tracks);
        return tracks;
    }

    static QList<QUuid> idsOf(const QList<Track> &tracks)
    {
        QList<QUuid> ids;
        for (const Track &track : tracks)
            ids.append(track.id);
        return ids;
    }

    QString titleLine(int number) const
    {
        const QString repaired = QStringLiteral("晴天%1").arg(number);
        return QStringLiteral("《歌%1》标题：%2 → %3").arg(number).arg(garbled(repaired), repaired);
    }
};

} // namespace

TEST_F(MojibakeRepairCommandTest, TheConfirmationListsFiveCandidatesAndMarksTheRest)
{
    for (const int count : {5, 7}) {
        environment.prompts->shown.clear();
        progress.clear();
        const QList<Track> tracks = seedGarbled(count);
        buildModel();
        recordProgress();
        environment.prompts->confirmAnswers = {false};

        model->promptRepairMojibake(idsOf(tracks));
        awaitIdle();

        QStringList lines;
        for (int i = 1; i <= 5; ++i)
            lines.append(titleLine(i));
        const QString details = lines.join(u'\n') + (count > 5 ? QStringLiteral("\n…") : QString()) + note;
        EXPECT_EQ(environment.prompts->shown,
                  QStringList{QStringLiteral("修复 %1 首歌曲的乱码标签？ | %2 | 修复").arg(count).arg(details)});
        EXPECT_EQ(progress.first(), QStringLiteral("正在检查乱码 0/%1…").arg(count));
        EXPECT_EQ(progress.last(), QStringLiteral("-"));
        // Cancelled: nothing written, the status line as it was.
        EXPECT_EQ(environment.tags->writeCount(), 0);
        EXPECT_FALSE(model->statusMessage());
    }
}

TEST_F(MojibakeRepairCommandTest, RepairingWritesAndJournalsEachFile)
{
    const QList<Track> tracks = seedGarbled(3, true);
    buildModel();
    environment.prompts->confirmAnswers = {true};

    model->promptRepairMojibake(idsOf(tracks));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->tagUndoCount() == 3 && !model->fileWorkProgress(); }, 10000));
    settle();

    EXPECT_TRUE(environment.prompts->shown.constFirst().contains(
        titleLine(1) + QStringLiteral("\n《歌1》歌手：%1 → 周杰伦").arg(garbled(QStringLiteral("周杰伦")))));
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已修复 3 首歌曲的乱码标签。"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(environment.tags->read(tracks.at(i).url)->title, QStringLiteral("晴天%1").arg(i + 1));
        EXPECT_EQ(environment.tags->read(tracks.at(i).url)->artist, QStringLiteral("周杰伦"));
    }
}

TEST_F(MojibakeRepairCommandTest, OnlyTitleArtistAndAlbumOfWritableFilesAreCandidates)
{
    const FileLocation wave = makeFile("plain.wav", "RIFF\x04\0\0\0WAVE");
    Track waveTrack = trackFor(QStringLiteral("wave"), wave);
    environment.tags->setTags(wave, {.title = garbled(u"晴天"_qs)});
    Track genreTrack = makeTrack(QStringLiteral("genre"));
    environment.tags->setTags(genreTrack.url, {.genre = garbled(u"流行"_qs)});
    seed({waveTrack, genreTrack});
    buildModel();

    model->promptRepairMojibake({waveTrack.id, genreTrack.id});
    awaitIdle();

    EXPECT_EQ(model->statusMessage(), QStringLiteral("没有检测到可修复的乱码标签。"));
    EXPECT_TRUE(environment.prompts->shown.isEmpty());
}

TEST_F(MojibakeRepairCommandTest, TracksTheListDoesNotShowAreLeftOut)
{
    const QList<Track> tracks = seedGarbled(2);
    buildModel();
    model->setSearchText(QStringLiteral("nothing matches"));

    model->promptRepairMojibake(idsOf(tracks));

    EXPECT_EQ(model->statusMessage(), QStringLiteral("没有选择歌曲。"));
    EXPECT_FALSE(model->fileWorkProgress());
}

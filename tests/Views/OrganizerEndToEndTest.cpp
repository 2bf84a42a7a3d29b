#include "OrganizerSheetFixture.h"

#include "AudioFixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

using OrganizerTracks::contents;

namespace {

class OrganizerEndToEndTest : public OrganizerSheetFixture
{
protected:
    // The library's record of each of the tracks, by identifier.
    std::optional<Track> inLibrary(const QUuid &id) const
    {
        for (const Track &each : model->tracks()) {
            if (each.id == id)
                return each;
        }
        return std::nullopt;
    }
};

TEST_F(OrganizerEndToEndTest, MovesFiftyFilesToAnotherFileSystemAndUndoesEveryOne)
{
    struct stat tmpStatus{}, shmStatus{};
    ASSERT_EQ(::stat(tmp.path().toUtf8().constData(), &tmpStatus), 0);
    ASSERT_EQ(::stat(shm.path().toUtf8().constData(), &shmStatus), 0);
    ASSERT_NE(tmpStatus.st_dev, shmStatus.st_dev) << "/tmp and /dev/shm share a file system";

    // Real audio, each copy with bytes of its own at the end.
    const QString tone = AudioFixture::makeTone(tmp.path(), QStringLiteral("tone.mp3"), 0.5);
    ASSERT_FALSE(tone.isEmpty());
    QFile toneFile(tone);
    ASSERT_TRUE(toneFile.open(QIODevice::ReadOnly));
    const QByteArray audio = toneFile.readAll();

    QList<Track> tracks;
    QHash<QUuid, QByteArray> bytes;
    for (int index = 0; index < 50; ++index) {
        const Track each = OrganizerTracks::track(inShm(QStringLiteral("incoming/track%1.mp3").arg(index)),
                                                  QStringLiteral("歌手%1").arg(index % 4),
                                                  QStringLiteral("专辑%1").arg(index % 3),
                                                  QStringLiteral("歌名%1").arg(index), index % 12 + 1);
        QFile file(QString::fromUtf8(each.url.path()));
        ASSERT_TRUE(QDir().mkpath(inShm("incoming")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray content = audio + QByteArray::number(index);
        file.write(content);
        bytes.insert(each.id, content);
        tracks.append(each);
    }
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inShm("incoming"))});
    prompts->destinations = {FileLocation::fromLocalFile(inTmp("music"))};
    prompts->crossVolumeAnswers = {true};
    open(tracks);
    QTest::mouseClick(view->chooseButton(), Qt::LeftButton);
    waitForPlan();
    ASSERT_EQ(view->items().size(), 50);

    QSignalSpy finished(sheet.get(), &QDialog::finished);
    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    waitWhileBusy();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(prompts->crossVolumeQuestions, 1);

    for (const Track &before : tracks) {
        const std::optional<Track> after = inLibrary(before.id);
        ASSERT_TRUE(after);
        EXPECT_TRUE(after->url.isUnder(FileLocation::fromLocalFile(inTmp("music")))) << after->url.displayPath().toStdString();
        EXPECT_EQ(contents(after->url), bytes.value(before.id));
        EXPECT_FALSE(QFile::exists(QString::fromUtf8(before.url.path())));
    }

    model->undoLastOrganize();
    for (const Track &before : tracks) {
        const std::optional<Track> after = inLibrary(before.id);
        ASSERT_TRUE(after);
        EXPECT_EQ(after->url, before.url);
        EXPECT_EQ(contents(after->url), bytes.value(before.id)) << before.url.displayPath().toStdString();
    }
    QDir music(inTmp("music"));
    EXPECT_TRUE(!music.exists() || music.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort).isEmpty());
}

} // namespace

#include "OrganizerSheetFixture.h"

#include "FaultInjectingFileOperations.h"
#include "GuiSupport/Screenshots.h"
#include "Views/OrganizerPlanRows.h"
#include "Views/OrganizerPreviewTable.h"
#include "Views/SheetPresenter.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using OrganizerTracks::track;

namespace {

class OrganizerPreviewViewTest : public OrganizerSheetFixture
{
protected:
    // Three tracks of one album in a folder of their own, with their files.
    QList<Track> album(const QString &folder)
    {
        QList<Track> tracks{track(folder + "/a.mp3", "陈绮贞", "华丽的冒险", "旅行的意义", 1),
                            track(folder + "/b.mp3", "陈绮贞", "华丽的冒险", "华丽的冒险", 2),
                            track(folder + "/c.mp3", "陈绮贞", "华丽的冒险", "小步舞曲", 3)};
        for (const Track &each : tracks)
            OrganizerTracks::writeFile(each);
        return tracks;
    }

    QString destination(int row) const { return QString::fromUtf8(view->items().at(row).destination.path()); }
};

struct InitialRootCase
{
    const char *name;
    bool withTrack;
    bool withLibraryFolder;
};

class OrganizerInitialRootTest : public OrganizerPreviewViewTest,
                                 public ::testing::WithParamInterface<InitialRootCase>
{
};

TEST_P(OrganizerInitialRootTest, StartsAtTheFirstTracksFolderElseTheLibrarysElseHome)
{
    const InitialRootCase &given = GetParam();
    const Track first = track(inShm("A/song.flac"), "歌手", "专辑", "歌", 1);
    const FileLocation libraryFolder = FileLocation::fromLocalFile(inTmp("library"));
    OrganizerTracks::seed(home, given.withTrack ? QList<Track>{first} : QList<Track>{},
                          given.withLibraryFolder ? QList<FileLocation>{libraryFolder} : QList<FileLocation>{});
    open(given.withTrack ? QList<Track>{first} : QList<Track>{});

    const FileLocation expected = given.withTrack ? FileLocation::fromLocalFile(inShm("A"))
                                  : given.withLibraryFolder ? libraryFolder
                                                            : FileLocation::fromLocalFile(QDir::homePath());
    EXPECT_EQ(view->destinationRoot(), expected);
    EXPECT_EQ(view->templateText(), QStringLiteral("{artist}/{album}/{track} {title}"));
    EXPECT_EQ(view->templatePicker()->currentText(), QStringLiteral("歌手/专辑/曲目 歌名"));
    EXPECT_FALSE(view->copies());
    EXPECT_TRUE(view->moveButton()->isChecked());
    EXPECT_FALSE(view->errorMessage());
    EXPECT_FALSE(view->isFrozen());
    EXPECT_EQ(view->findChild<QLabel *>(QStringLiteral("organizerTrackCount"))->text(),
              QStringLiteral("%1 首 · 预览后才会执行").arg(given.withTrack ? 1 : 0));
    EXPECT_EQ(view->footerText(), QStringLiteral("原文件夹中的文件会移到新路径。"));
}

INSTANTIATE_TEST_SUITE_P(Rules, OrganizerInitialRootTest,
                         ::testing::Values(InitialRootCase{"track", true, true},
                                           InitialRootCase{"libraryFolder", false, true},
                                           InitialRootCase{"home", false, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OrganizerPreviewViewTest, PlansAgainOnlyWhenAnOptionChangesOrTheWindowIsActivated)
{
    const QList<Track> tracks = album(inShm("src"));
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inShm("src"))});
    open(tracks);
    ASSERT_EQ(view->items().size(), 3);
    EXPECT_EQ(destination(0), inShm("src/陈绮贞/华丽的冒险/1 旅行的意义.mp3"));

    view->templatePicker()->setCurrentIndex(1);
    emit view->templatePicker()->activated(1);
    waitForPlan();
    EXPECT_EQ(view->templateText(), QStringLiteral("{artist} - {title}"));
    EXPECT_EQ(destination(0), inShm("src/陈绮贞 - 旅行的意义.mp3"));

    prompts->destinations = {std::nullopt, FileLocation::fromLocalFile(inTmp("out"))};
    QTest::mouseClick(view->chooseButton(), Qt::LeftButton);
    EXPECT_EQ(view->destinationRoot(), FileLocation::fromLocalFile(inShm("src")));
    QTest::mouseClick(view->chooseButton(), Qt::LeftButton);
    waitForPlan();
    EXPECT_EQ(destination(0), inTmp("out/陈绮贞 - 旅行的意义.mp3"));

    // A file turning up at a destination is not noticed by painting or by the mode...
    ASSERT_TRUE(QDir().mkpath(inTmp("out")));
    QFile(inTmp("out/陈绮贞 - 旅行的意义.mp3")).open(QIODevice::WriteOnly);
    view->table()->rows()->viewport()->repaint();
    QTest::mouseClick(view->copyButton(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(view->isPlanning());
    EXPECT_FALSE(view->items().at(0).conflictResolved);
    EXPECT_EQ(view->footerText(), QStringLiteral("原文件保留，只新增副本。"));

    // ...but once the window is activated again.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(sheet.get(), &activate);
    waitForPlan();
    EXPECT_TRUE(view->items().at(0).conflictResolved);
    EXPECT_EQ(destination(0), inTmp("out/陈绮贞 - 旅行的意义 (2).mp3"));
}

TEST_F(OrganizerPreviewViewTest, AsksOnceForAMoveAcrossVolumesAndIsFrozenWhileItRuns)
{
    const QList<Track> tracks = album(inShm("src"));
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inShm("src"))});
    prompts->destinations = {FileLocation::fromLocalFile(inTmp("out"))};
    open(tracks);
    view->chooseRoot();
    waitForPlan();

    prompts->crossVolumeAnswers = {false};
    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    EXPECT_EQ(prompts->crossVolumeQuestions, 1);
    EXPECT_FALSE(view->isFrozen());
    EXPECT_FALSE(model->fileWorkProgress());
    EXPECT_TRUE(QFile::exists(inShm("src/a.mp3")));

    QSignalSpy dismissed(view, &OrganizerPreviewView::dismissRequested);
    prompts->crossVolumeAnswers = {true};
    const QList<OrganizePlanItem> confirmed = view->items();
    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    EXPECT_EQ(prompts->crossVolumeQuestions, 2);
    ASSERT_TRUE(model->fileWorkProgress());
    EXPECT_TRUE(view->isFrozen());
    EXPECT_EQ(view->items(), confirmed);
    EXPECT_EQ(view->footerText(), *model->fileWorkProgress());
    for (QWidget *control : QList<QWidget *>{view->templatePicker(), view->chooseButton(), view->moveButton(),
                                             view->copyButton(), view->cancelButton(), view->startButton()})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
    sheet->reject();
    EXPECT_TRUE(sheet->isVisible());

    waitWhileBusy();
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_FALSE(QFile::exists(inShm("src/a.mp3")));
    EXPECT_TRUE(QFile::exists(inTmp("out/陈绮贞/华丽的冒险/1 旅行的意义.mp3")));
}

TEST_F(OrganizerPreviewViewTest, CopiesAcrossVolumesWithoutAsking)
{
    const QList<Track> tracks = album(inShm("src"));
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inShm("src"))});
    prompts->destinations = {FileLocation::fromLocalFile(inTmp("out"))};
    open(tracks);
    view->chooseRoot();
    view->setCopies(true);
    waitForPlan();
    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    waitWhileBusy();
    EXPECT_EQ(prompts->crossVolumeQuestions, 0);
    EXPECT_TRUE(QFile::exists(inShm("src/a.mp3")));
    EXPECT_TRUE(QFile::exists(inTmp("out/陈绮贞/华丽的冒险/1 旅行的意义.mp3")));
}

TEST_F(OrganizerPreviewViewTest, AfterAFailedItemListsOnlyTheFilesStillToMoveWhereTheyAreNow)
{
    const QList<Track> tracks = album(inTmp("src"));
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inTmp("src"))});
    FaultInjectingFileOperations files;
    files.failOnce(FileOperations::Operation::MoveNoReplace, EIO, "2 华丽的冒险.mp3");
    AppModelEnvironment faulty = environment.make();
    faulty.files = &files;
    model = std::make_unique<AppModel>(home.dataFolder(), std::move(faulty));
    settle();
    open(tracks);
    ASSERT_EQ(view->items().size(), 3);

    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    waitWhileBusy();
    waitForPlan();
    ASSERT_TRUE(view->errorMessage());
    EXPECT_TRUE(view->findChild<QLabel *>(QStringLiteral("organizerError"))->isVisible());
    EXPECT_FALSE(view->isFrozen());
    EXPECT_TRUE(QFile::exists(inTmp("src/陈绮贞/华丽的冒险/1 旅行的意义.mp3")));

    // The moved file is in place now: only the other two are listed, from where they lie, with
    // no numbered names.
    ASSERT_EQ(view->items().size(), 2);
    EXPECT_EQ(view->items().at(0).source, tracks.at(1).url);
    EXPECT_EQ(view->items().at(1).source, tracks.at(2).url);
    for (const OrganizePlanItem &item : view->items())
        EXPECT_FALSE(item.conflictResolved);
    EXPECT_EQ(view->table()->rows()->items(), view->items());
    EXPECT_TRUE(view->startButton()->isEnabled());

    QSignalSpy dismissed(view, &OrganizerPreviewView::dismissRequested);
    QTest::mouseClick(view->startButton(), Qt::LeftButton);
    waitWhileBusy();
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_TRUE(QFile::exists(inTmp("src/陈绮贞/华丽的冒险/3 小步舞曲.mp3")));
}

TEST_F(OrganizerPreviewViewTest, NumbersCollidingNamesAndLeavesOutTracksTheLibraryNoLongerHas)
{
    QList<Track> tracks{track(inTmp("src/x.mp3"), "同名", "专辑", "一样", 1),
                        track(inTmp("src/y.mp3"), "同名", "专辑", "一样", 1),
                        track(inTmp("src/z.mp3"), "同名", "专辑", "已移除", 2)};
    for (const Track &each : tracks)
        OrganizerTracks::writeFile(each);
    OrganizerTracks::seed(home, tracks.first(2), {FileLocation::fromLocalFile(inTmp("src"))});
    open(tracks);
    ASSERT_EQ(view->items().size(), 2);
    EXPECT_FALSE(view->items().at(0).conflictResolved);
    EXPECT_TRUE(view->items().at(1).conflictResolved);
    EXPECT_EQ(view->summaryText(), QStringLiteral("共 2 个文件 1 个同名冲突已自动编号，不会覆盖"));
}

TEST_F(OrganizerPreviewViewTest, SaysWhenEverythingIsInPlace)
{
    const Track inPlace = track(inTmp("src/同名 - 独一.mp3"), "同名", "专辑", "独一", 1);
    OrganizerTracks::writeFile(inPlace);
    OrganizerTracks::seed(home, {inPlace}, {FileLocation::fromLocalFile(inTmp("src"))});
    open({inPlace});
    EXPECT_EQ(view->items().size(), 1);
    view->setTemplate(QStringLiteral("{artist} - {title}"));
    waitForPlan();
    EXPECT_TRUE(view->items().isEmpty());
    EXPECT_EQ(view->summaryText(), QStringLiteral("共 0 个文件"));
    EXPECT_FALSE(view->startButton()->isEnabled());
}

TEST_F(OrganizerPreviewViewTest, OpensForTheModelsRequestAndClearsItWhenClosed)
{
    const QList<Track> tracks = album(inTmp("src"));
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inTmp("src"))});
    buildModel();
    QWidget window;
    SheetPresenter presenter(*model, &window);
    window.show();
    model->beginOrganize({tracks.at(0).id, tracks.at(2).id});
    settle();
    auto *shown = qobject_cast<OrganizerSheet *>(presenter.organizerSheet());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->preview()->findChild<QLabel *>(QStringLiteral("organizerTrackCount"))->text(),
              QStringLiteral("2 首 · 预览后才会执行"));
    QTest::mouseClick(shown->preview()->cancelButton(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(model->organizerRequest());
    EXPECT_FALSE(presenter.organizerSheet());
}

TEST_F(OrganizerPreviewViewTest, ScreenshotsWithConflicts)
{
    QList<Track> tracks;
    const QStringList titles{"晴天", "七里香", "晴天", "稻香", "夜曲", "晴天", "Long Distance Call", "夜曲"};
    for (int index = 0; index < titles.size(); ++index)
        tracks.append(track(inTmp(QStringLiteral("下载/未整理的音乐文件夹/%1.flac").arg(index)),
                            index % 3 == 2 ? "Brian McKnight" : "周杰伦", index % 3 == 2 ? "Anytime" : "叶惠美",
                            titles.at(index), 1));
    for (const Track &each : tracks)
        OrganizerTracks::writeFile(each);
    OrganizerTracks::seed(home, tracks, {FileLocation::fromLocalFile(inTmp("下载"))});
    open(tracks);
    EXPECT_EQ(view->summaryText(), QStringLiteral("共 8 个文件 2 个同名冲突已自动编号，不会覆盖"));
    Screenshots::save(*sheet, QStringLiteral("organizer-conflicts-light"));
    colorScheme.setDark(true);
    settle();
    Screenshots::save(*sheet, QStringLiteral("organizer-conflicts-dark"));
}

} // namespace

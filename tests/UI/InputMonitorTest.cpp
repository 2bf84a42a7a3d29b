#include "InputMonitor.h"

#include "AppModel.h"
#include "ModelTestEnvironment.h"

#include "Library/IndexStore.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A main window with a search field above a list, wired to the model as the real one is: the
// field's focus is mirrored into the model, and the model's request ends it.
class InputMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const FileLocation directory =
            FileLocation::fromLocalFile(temporary.path()).appending(QByteArrayLiteral("Quillmere"));
        Track track;
        track.id = QUuid::createUuid();
        track.title = QStringLiteral("七里香");
        track.url = FileLocation::fromPath("/Music/七里香.mp3");
        track.duration = 240;
        IndexStore store(directory);
        ASSERT_TRUE(store.saveIndex(LibraryIndex{{track}, {}}));
        AppSettings settings;
        settings.lastQueue = {track.id};
        settings.lastTrackID = track.id;
        ASSERT_TRUE(store.saveSettings(settings));
        model = std::make_unique<AppModel>(directory, environment.make());
        monitor = std::make_unique<InputMonitor>(*model);

        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(search);
        layout->addWidget(list);
        list->addItems({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
        QObject::connect(qApp, &QApplication::focusChanged, model.get(),
                         [this](QWidget *, QWidget *now) { model->setSearchFocused(now == search); });
        QObject::connect(model.get(), &AppModel::endSearchFocusRequestChanged, search, [this] { search->clearFocus(); });

        window.resize(320, 240);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        window.hide();
        monitor.reset();
        model.reset();
    }

    QPoint centreOfRow(int row) const
    {
        return list->mapTo(&window, list->visualItemRect(list->item(row)).center() + list->viewport()->pos());
    }

    QTemporaryDir temporary;
    ModelTestEnvironment environment;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<InputMonitor> monitor;
    QWidget window;
    QLineEdit *search = new QLineEdit(&window);
    QListWidget *list = new QListWidget(&window);
};

} // namespace

TEST_F(InputMonitorTest, SpaceTypesIntoTheSearchFieldAndTogglesPlaybackElsewhere)
{
    search->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(model->isSearchFocused());

    QTest::keyClick(window.windowHandle(), Qt::Key_Space);
    QTest::keyClick(window.windowHandle(), Qt::Key_Right);
    EXPECT_EQ(search->text(), QStringLiteral(" "));
    EXPECT_EQ(search->cursorPosition(), 1);
    EXPECT_EQ(environment.engine->playCount(), 0);
    EXPECT_EQ(model->restoredPosition(), 0);

    list->setFocus();
    list->setCurrentRow(0);
    QCoreApplication::processEvents();
    QTest::keyClick(window.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(environment.engine->playCount(), 1);
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_EQ(list->currentRow(), 0) << "the list never saw the key";
}

TEST_F(InputMonitorTest, AClickInTheListEndsTheSearchFocusAndStillSelects)
{
    search->setFocus();
    QCoreApplication::processEvents();
    const QUuid endRequest = model->endSearchFocusRequest();

    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, search->geometry().center());
    EXPECT_TRUE(search->hasFocus()) << "a click into the field keeps its focus";
    EXPECT_EQ(model->endSearchFocusRequest(), endRequest);

    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, centreOfRow(1));
    EXPECT_FALSE(search->hasFocus());
    EXPECT_FALSE(model->isSearchFocused());
    EXPECT_NE(model->endSearchFocusRequest(), endRequest);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(list->item(1)->isSelected());
}

TEST_F(InputMonitorTest, EscapeEndsTheSearchFocusAndCtrlFAsksForIt)
{
    list->setFocus();
    QCoreApplication::processEvents();
    const QUuid focusRequest = model->searchFocusRequest();
    QTest::keyClick(window.windowHandle(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_NE(model->searchFocusRequest(), focusRequest);

    search->setFocus();
    QCoreApplication::processEvents();
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(search->hasFocus());
    EXPECT_FALSE(model->isSearchFocused());
}

TEST_F(InputMonitorTest, KeysOfAModalDialogAreLeftToIt)
{
    list->setFocus();
    QWidget dialog(&window, Qt::Dialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // As if the search field still had the focus beneath the dialog.
    model->setSearchFocused(true);
    const QUuid endRequest = model->endSearchFocusRequest();

    QTest::keyClick(dialog.windowHandle(), Qt::Key_Escape);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Space);

    EXPECT_EQ(model->endSearchFocusRequest(), endRequest);
    EXPECT_EQ(environment.engine->playCount(), 0);
}

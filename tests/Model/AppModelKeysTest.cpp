#include "ModelFixture.h"

#include <functional>

namespace {

using InputRules::Key;
using InputRules::KeyPress;

class AppModelKeysTest : public ModelFixture
{
protected:
    // Three tracks; the second is the one to resume, 3 s in.
    void SetUp() override
    {
        for (const char *title : {"一", "二", "三"})
            tracks.append(makeTrack(QString::fromUtf8(title)));
        seed(tracks);
        seedSettings({.lastQueue = {tracks[0].id, tracks[1].id, tracks[2].id}, .lastTrackID = tracks[1].id, .lastPosition = 3});
        build();
    }

    bool press(Key key, Qt::KeyboardModifiers modifiers = {}, bool repeat = false)
    {
        // As the key reaches the main window with nothing focused; the model adds what it knows.
        return model->handleKeyPress(KeyPress{key, modifiers, repeat}, {.keyWindow = InputRules::WindowKind::Main});
    }

    QList<Track> tracks;
};

} // namespace

TEST_F(AppModelKeysTest, ArrowsMoveTheResumePositionUntilSomethingIsLoadedAndCtrlArrowsStep)
{
    ASSERT_EQ(model->restoredPosition(), 3);

    EXPECT_TRUE(press(Key::Right));
    EXPECT_EQ(model->restoredPosition(), 8);
    EXPECT_TRUE(press(Key::Right, {}, true));
    EXPECT_EQ(model->restoredPosition(), 13);
    EXPECT_TRUE(press(Key::Left, Qt::ShiftModifier));
    press(Key::Left);
    press(Key::Left);
    EXPECT_EQ(model->restoredPosition(), 0);
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
    EXPECT_EQ(savedSettings().lastPosition, 0);

    // Ctrl and an arrow step the queue; held down, it steps once.
    EXPECT_TRUE(press(Key::Right, Qt::ControlModifier));
    EXPECT_EQ(model->currentTrack()->id, tracks[2].id);
    EXPECT_TRUE(press(Key::Left, Qt::ControlModifier));
    EXPECT_EQ(model->currentTrack()->id, tracks[1].id);
    EXPECT_FALSE(press(Key::Right, Qt::ControlModifier, true));
    EXPECT_EQ(model->currentTrack()->id, tracks[1].id);
}

TEST_F(AppModelKeysTest, SpaceTogglesOnceAndArrowsSeekTheLoadedFile)
{
    EXPECT_TRUE(press(Key::Space));
    ASSERT_EQ(environment.engine->loaded(), QList<FileLocation>{tracks[1].url});
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_EQ(environment.engine->position(), 3) << "resumed where it stopped";

    EXPECT_TRUE(press(Key::Space, {}, true));
    EXPECT_TRUE(environment.engine->isPlaying()) << "a held Space toggles once";
    EXPECT_TRUE(press(Key::Space));
    EXPECT_FALSE(environment.engine->isPlaying());

    environment.engine->setPosition(100);
    press(Key::Right);
    EXPECT_EQ(environment.engine->position(), 105);
    press(Key::Left);
    press(Key::Left);
    EXPECT_EQ(environment.engine->position(), 95);
    EXPECT_EQ(environment.engine->loaded().size(), 1);

    EXPECT_TRUE(press(Key::Space));
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_EQ(environment.engine->loaded().size(), 1) << "resumed, not loaded again";
}

TEST_F(AppModelKeysTest, NothingFiresWhileTheSearchFieldOrASheetHasTheKeys)
{
    const QList<std::pair<const char *, std::function<void(AppModel &)>>> states = {
        {"search focused", [](AppModel &m) { m.setSearchFocused(true); }},
        {"settings sheet", [](AppModel &m) { m.setSettingsPresented(true); }},
        {"tag editor", [](AppModel &m) { m.setTagEditorRequest(TagEditorRequest{QUuid::createUuid(), {}}); }},
        {"organizer", [](AppModel &m) { m.setOrganizerRequest(OrganizerRequest{QUuid::createUuid(), {}}); }},
    };
    for (const auto &[name, enter] : states) {
        enter(*model);
        EXPECT_FALSE(press(Key::Space)) << name;
        EXPECT_FALSE(press(Key::Right)) << name;
        EXPECT_FALSE(press(Key::Right, Qt::ControlModifier)) << name;
        model->setSearchFocused(false);
        model->setSettingsPresented(false);
        model->setTagEditorRequest(std::nullopt);
        model->setOrganizerRequest(std::nullopt);
    }
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
    EXPECT_EQ(model->restoredPosition(), 3);
    EXPECT_EQ(model->currentTrack()->id, tracks[1].id);

    // Esc still ends the search under the settings sheet.
    model->setSearchFocused(true);
    model->setSettingsPresented(true);
    const QUuid end = model->endSearchFocusRequest();
    EXPECT_TRUE(press(Key::Escape));
    EXPECT_NE(model->endSearchFocusRequest(), end);
}

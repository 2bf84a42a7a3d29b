#include "ModelFixture.h"

#include <QFileInfo>

TEST_F(ModelFixture, AFreshModelShowsAllMusicByTitleAndCreatesItsFolders)
{
    AppModel &fresh = build();

    EXPECT_EQ(fresh.selection(), LibrarySelection::allMusic());
    EXPECT_EQ(fresh.sort(), TrackSort::Title);
    EXPECT_TRUE(fresh.sortAscending());
    EXPECT_DOUBLE_EQ(fresh.volume(), 0.8);
    EXPECT_FLOAT_EQ(environment.engine->volume(), 0.8f);
    EXPECT_FALSE(fresh.statusMessage());
    EXPECT_FALSE(fresh.fileWorkProgress());
    EXPECT_EQ(fresh.queue().mode(), PlaybackMode::RepeatAll);
    EXPECT_NE(fresh.searchFocusRequest(), fresh.endSearchFocusRequest());

    const QString root = directory.displayPath();
    EXPECT_EQ(QFileInfo(root).permissions() & QFileDevice::ReadOther, 0);
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/undo")).isDir());
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/transcode")).isDir());
    EXPECT_EQ(environment.shell->appearances, QStringList{QStringLiteral("system")});
}

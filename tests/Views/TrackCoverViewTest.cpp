#include "Views/TrackCoverView.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TrackCoverViewTest : public ::testing::Test
{
protected:
    FileLocation imageFile(const QString &name, QSize size, QColor colour)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = folder.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return FileLocation::fromLocalFile(path);
    }

    FileLocation textFile()
    {
        const QString path = folder.filePath(QStringLiteral("cover.png"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not an image");
        return FileLocation::fromLocalFile(path);
    }

    QTemporaryDir folder;
    TrackCoverView cover{42, 8};
};

TEST_F(TrackCoverViewTest, DecodesScaledToCoverTheSquareAndShowsTheImageOnceDecoded)
{
    // A wide image keeps its aspect ratio and fills the square's height; small ones are not enlarged.
    EXPECT_EQ(TrackCoverView::decode(imageFile(QStringLiteral("wide.png"), {400, 200}, Qt::red), 42).size(), QSize(84, 42));
    EXPECT_EQ(TrackCoverView::decode(imageFile(QStringLiteral("small.png"), {20, 30}, Qt::red), 42).size(), QSize(20, 30));
    EXPECT_TRUE(TrackCoverView::decode(textFile(), 42).isNull());
    EXPECT_TRUE(TrackCoverView::decode(FileLocation::fromLocalFile(folder.filePath(QStringLiteral("gone.png"))), 42).isNull());

    QSignalSpy shown(&cover, &TrackCoverView::imageShown);
    cover.setUrl(imageFile(QStringLiteral("a.png"), {100, 100}, Qt::blue));
    EXPECT_TRUE(cover.image().isNull()) << "the placeholder shows until the decode is done";
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(cover.image().pixelColor(5, 5), QColor(Qt::blue));
    cover.setUrl(std::nullopt);
    EXPECT_TRUE(cover.image().isNull()) << "removed at once";
    cover.setUrl(textFile());
    QTest::qWait(300);
    EXPECT_TRUE(cover.image().isNull()) << "an unreadable file keeps the placeholder";
}

TEST_F(TrackCoverViewTest, DropsADecodeThatFinishesForAFileNoLongerShown)
{
    QSignalSpy shown(&cover, &TrackCoverView::imageShown);
    cover.setUrl(imageFile(QStringLiteral("first.png"), {800, 800}, Qt::red));
    const FileLocation second = imageFile(QStringLiteral("second.png"), {100, 100}, Qt::green);
    cover.setUrl(second);
    ASSERT_TRUE(shown.wait(5000));
    QTest::qWait(200);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(cover.image().pixelColor(5, 5), QColor(Qt::green));

    cover.setUrl(imageFile(QStringLiteral("third.png"), {800, 800}, Qt::red));
    cover.setUrl(std::nullopt);
    QTest::qWait(300);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_TRUE(cover.image().isNull());
}

} // namespace

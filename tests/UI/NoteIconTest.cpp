#include "UI/NoteIcon.h"
#include "UI/Icons.h"
#include "UI/NoteGlyph.h"

#include <QImage>

#include <gtest/gtest.h>

// Removes the bundled images for the life of the object, as if the program shipped without them.
// (The resource macros must be used outside any namespace.)
class WithoutBundledImages
{
public:
    WithoutBundledImages() { Q_CLEANUP_RESOURCE(images); }
    ~WithoutBundledImages() { Q_INIT_RESOURCE(images); }
};

namespace {

QImage alphaOf(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_Alpha8);
}

QImage rendered(NoteIcon &icon)
{
    icon.resize(icon.sizeHint());
    QImage image(icon.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    icon.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Every painted pixel has the colour's hue; at least some pixels are painted.
void expectOnlyColour(const QImage &image, QRgb rgb)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = qUnpremultiply(image.pixel(x, y));
            if (qAlpha(pixel) < 64)
                continue;
            ++painted;
            EXPECT_NEAR(qRed(pixel), qRed(rgb), 2);
            EXPECT_NEAR(qGreen(pixel), qGreen(rgb), 2);
            EXPECT_NEAR(qBlue(pixel), qBlue(rgb), 2);
        }
    }
    EXPECT_GT(painted, 10);
}

// First and last columns and rows holding a visible pixel.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 32)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

TEST(NoteGlyph, TemplateRectFillsTheHeightAndCentresTheWidth)
{
    const struct
    {
        QSizeF source;
        qreal size;
        QRectF rect;
    } rows[] = {
        { { 20, 30 }, 16, { 8.0 / 3.0, 0, 32.0 / 3.0, 16 } }, { { 40, 20 }, 16, { -8, 0, 32, 16 } },
        { { 5, 0 }, 16, { -32, 0, 80, 16 } }, // height 0 counts as 1
    };
    for (const auto &row : rows) {
        const QRectF rect = NoteGlyph::templateRect(row.source, row.size);
        EXPECT_NEAR(rect.x(), row.rect.x(), 1e-9);
        EXPECT_NEAR(rect.width(), row.rect.width(), 1e-9);
        EXPECT_EQ(rect.y(), 0);
        EXPECT_EQ(rect.height(), row.size);
    }
}

TEST(NoteGlyph, TemplateImageIsTheBundledGlyphAtFullHeight)
{
    const std::optional<QImage> image = NoteGlyph::templateImage(16, 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(32, 32));
    EXPECT_EQ(image->deviceIndependentSize(), QSizeF(16, 16));
    const QRect ink = inkBounds(*image);
    EXPECT_LE(ink.top(), 1);
    EXPECT_GE(ink.bottom(), 30);
    // The glyph is narrower than high, so both sides stay clear and it sits in the middle.
    EXPECT_GT(ink.left(), 0);
    EXPECT_LT(ink.right(), 31);
    EXPECT_NEAR(ink.left(), 31 - ink.right(), 2);
}

TEST(NoteGlyph, TemplateImageIsNoneWithoutTheBundledGlyph)
{
    WithoutBundledImages missing;
    EXPECT_FALSE(NoteGlyph::templateImage(16));
    EXPECT_EQ(NoteGlyph::load(), nullptr);
}

TEST(NoteIcon, DrawsTheBundledGlyphFittedAndTinted)
{
    NoteIcon icon(14, Qt::red);
    EXPECT_EQ(icon.sizeHint(), QSize(14, 14));
    const QImage image = rendered(icon);
    expectOnlyColour(image, qRgb(255, 0, 0));
    EXPECT_NE(alphaOf(image), alphaOf(Icons::musicNote(14, QFont::DemiBold)));
}

TEST(NoteIcon, FallsBackToTheSemiboldNoteSymbolWithoutTheGlyph)
{
    WithoutBundledImages missing;
    NoteIcon icon(14, Qt::red);
    EXPECT_EQ(icon.sizeHint(), QSize(14, 14));
    const QImage image = rendered(icon);
    expectOnlyColour(image, qRgb(255, 0, 0));
    EXPECT_EQ(alphaOf(image), alphaOf(Icons::musicNote(14, QFont::DemiBold)));
}

TEST(NoteIcon, FollowsAColourChange)
{
    NoteIcon icon(20, Qt::red);
    icon.setColor(QColor(0, 0, 255));
    expectOnlyColour(rendered(icon), qRgb(0, 0, 255));
}

TEST(Icons, HeavierWeightsDrawMoreInk)
{
    const auto ink = [](const QImage &image) {
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                sum += qAlpha(image.pixel(x, y));
        }
        return sum;
    };
    EXPECT_GT(ink(Icons::musicNote(40, QFont::Bold)), ink(Icons::musicNote(40, QFont::Normal)));
    EXPECT_EQ(Icons::pointSize, 20);
}

TEST(Icons, TintKeepsTheShapeAndTakesTheColoursOpacity)
{
    const QImage shape = Icons::musicNote(24, QFont::Normal);
    const QImage tinted = Icons::tinted(shape, QColor(0, 128, 0, 128));
    // A point inside the note head.
    const QPoint head = inkBounds(shape).bottomLeft() + QPoint(3, -2);
    ASSERT_EQ(qAlpha(shape.pixel(head)), 255);
    const QRgb pixel = tinted.pixel(head);
    EXPECT_NEAR(qAlpha(pixel), 128, 1);
    EXPECT_NEAR(qGreen(qUnpremultiply(pixel)), 128, 2);
    EXPECT_EQ(qAlpha(tinted.pixel(0, 0)), 0);
}

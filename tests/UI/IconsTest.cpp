#include "UI/Icons.h"
#include "UI/NoteGlyph.h"
#include "UI/NoteIcon.h"

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

TEST(NoteGlyph, TemplateImageIsTheBundledGlyphAtFullHeightOrNoneWithoutIt)
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

    WithoutBundledImages missing;
    EXPECT_FALSE(NoteGlyph::templateImage(16));
    EXPECT_EQ(NoteGlyph::load(), nullptr);
}

TEST(NoteIcon, DrawsTheBundledGlyphTintedElseTheSemiboldNoteSymbol)
{
    const QImage symbol = alphaOf(Icons::musicNote(14, QFont::DemiBold));
    NoteIcon icon(14, Qt::red);
    EXPECT_EQ(icon.sizeHint(), QSize(14, 14));
    expectOnlyColour(rendered(icon), qRgb(255, 0, 0));
    EXPECT_NE(alphaOf(rendered(icon)), symbol);
    icon.setColor(QColor(0, 0, 255));
    expectOnlyColour(rendered(icon), qRgb(0, 0, 255));

    WithoutBundledImages missing;
    NoteIcon fallback(14, Qt::red);
    EXPECT_EQ(fallback.sizeHint(), QSize(14, 14));
    expectOnlyColour(rendered(fallback), qRgb(255, 0, 0));
    EXPECT_EQ(alphaOf(rendered(fallback)), symbol);
}

TEST(Icons, HeavierWeightsDrawMoreInkAndTintKeepsTheShapeWithTheColoursOpacity)
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

    const QImage shape = Icons::musicNote(24, QFont::Normal);
    const QImage tinted = Icons::tinted(shape, QColor(0, 128, 0, 128));
    // A point inside the note head.
    const QPoint head = inkBounds(shape).bottomLeft() + QPoint(3, -2);
    ASSERT_EQ(qAlpha(shape.pixel(head)), 255);
    EXPECT_NEAR(qAlpha(tinted.pixel(head)), 128, 1);
    EXPECT_NEAR(qGreen(qUnpremultiply(tinted.pixel(head))), 128, 2);
    EXPECT_EQ(qAlpha(tinted.pixel(0, 0)), 0);
}

namespace {

struct SymbolCase
{
    const char *name;
    Icons::Symbol draw;
};

// Share of the canvas the symbol covers, from its alpha.
double coverage(const QImage &image)
{
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    double sum = 0;
    for (int y = 0; y < alpha.height(); ++y) {
        const uchar *line = alpha.constScanLine(y);
        for (int x = 0; x < alpha.width(); ++x)
            sum += line[x] / 255.0;
    }
    return sum / (alpha.width() * alpha.height());
}

class IconsTest : public testing::TestWithParam<SymbolCase>
{
};

// A symbol is a shape on a clear canvas at every weight and pixel ratio: neither empty nor a
// filled block (as when a weight is taken for a line width).
TEST_P(IconsTest, DrawsAShapeOnAClearCanvas)
{
    for (const QFont::Weight weight : {QFont::Light, QFont::Normal, QFont::DemiBold}) {
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage image = GetParam().draw(20, weight, ratio);
            ASSERT_EQ(image.width(), qRound(20 * ratio));
            const double covered = coverage(image);
            EXPECT_GT(covered, 0.03) << weight << " at " << ratio;
            EXPECT_LT(covered, 0.6) << weight << " at " << ratio;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << weight << " at " << ratio;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Symbols, IconsTest,
    testing::Values(SymbolCase{"musicNote", Icons::musicNote}, SymbolCase{"magnifyingGlass", Icons::magnifyingGlass},
        SymbolCase{"gear", Icons::gear}, SymbolCase{"folderBadgePlus", Icons::folderBadgePlus},
        SymbolCase{"backwardEnd", Icons::backwardEnd}, SymbolCase{"forwardEnd", Icons::forwardEnd},
        SymbolCase{"play", Icons::play}, SymbolCase{"pause", Icons::pause}, SymbolCase{"arrowRight", Icons::arrowRight},
        SymbolCase{"repeat", Icons::repeat}, SymbolCase{"repeatOne", Icons::repeatOne},
        SymbolCase{"shuffle", Icons::shuffle}, SymbolCase{"speakerSlash", Icons::speakerSlash},
        SymbolCase{"speakerWave1", Icons::speakerWave1}, SymbolCase{"speakerWave3", Icons::speakerWave3},
        SymbolCase{"textAlignLeft", Icons::textAlignLeft},
        SymbolCase{"rectangleCompressVertical", Icons::rectangleCompressVertical},
        SymbolCase{"musicNoteList", Icons::musicNoteList}, SymbolCase{"clock", Icons::clock},
        SymbolCase{"folder", Icons::folder}, SymbolCase{"arrowClockwise", Icons::arrowClockwise},
        SymbolCase{"trash", Icons::trash}, SymbolCase{"plus", Icons::plus}),
    [](const testing::TestParamInfo<SymbolCase> &info) { return std::string(info.param.name); });

} // namespace

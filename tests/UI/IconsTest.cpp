#include "UI/Icons.h"

#include <QImage>

#include <gtest/gtest.h>

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

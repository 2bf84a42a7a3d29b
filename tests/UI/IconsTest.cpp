#include "UI/Icons.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Share of the symbol's pixels that carry ink.
double inkedShare(const QImage &symbol)
{
    const QImage alpha = symbol.convertToFormat(QImage::Format_Alpha8);
    int inked = 0;
    for (int y = 0; y < alpha.height(); ++y) {
        for (int x = 0; x < alpha.width(); ++x)
            inked += qAlpha(alpha.pixel(x, y)) > 0;
    }
    return double(inked) / (alpha.width() * alpha.height());
}

struct NamedSymbol
{
    const char *name;
    Icons::Symbol draw;
};

class LineSymbolTest : public ::testing::TestWithParam<NamedSymbol>
{
};

// Line symbols are strokes on a transparent square, at every weight: neither empty nor a
// filled block.
TEST_P(LineSymbolTest, DrawsStrokesNotABlock)
{
    for (const QFont::Weight weight : { QFont::Light, QFont::Normal, QFont::DemiBold }) {
        const double share = inkedShare(GetParam().draw(20, weight, 2.0));
        EXPECT_GT(share, 0.03) << weight;
        EXPECT_LT(share, 0.7) << weight;
    }
}

INSTANTIATE_TEST_SUITE_P(Icons, LineSymbolTest,
    ::testing::Values(NamedSymbol { "magnifyingGlass", &Icons::magnifyingGlass },
        NamedSymbol { "gear", &Icons::gear }, NamedSymbol { "folderBadgePlus", &Icons::folderBadgePlus },
        NamedSymbol { "backwardEnd", &Icons::backwardEnd }, NamedSymbol { "repeat", &Icons::repeat },
        NamedSymbol { "shuffle", &Icons::shuffle }, NamedSymbol { "speakerWave3", &Icons::speakerWave3 },
        NamedSymbol { "textAlignLeft", &Icons::textAlignLeft },
        NamedSymbol { "musicNoteList", &Icons::musicNoteList }, NamedSymbol { "clock", &Icons::clock },
        NamedSymbol { "folder", &Icons::folder }, NamedSymbol { "trash", &Icons::trash },
        NamedSymbol { "plus", &Icons::plus }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

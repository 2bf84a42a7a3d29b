#pragma once

#include <QFont>
#include <QList>
#include <QString>

#include <vector>

// Where the rows of the lyrics list lie, without laying out their text. Each line's natural width
// is measured once per lyrics and font; a width estimates every row's height from it (wrapped
// lines of one row 3 apart, rows 14 apart, 150 of padding above and below). Rows actually laid
// out report their exact height, which replaces the estimate. Tops are summed lazily from the
// first changed row, and the row at a height is found by binary search.
class LyricsListLayout
{
public:
    static constexpr qreal rowSpacing = 14;
    static constexpr qreal verticalPadding = 150;
    static constexpr qreal horizontalPadding = 4;
    static constexpr qreal lineSpacing = 3;

    // An empty line is measured as one space: it keeps the height of a line.
    void setLines(const QList<QString> &texts, const QFont &font);
    // The width the rows wrap in (the view's width less the padding); re-estimates every height.
    void setWidth(qreal width);

    qsizetype count() const { return qsizetype(m_widths.size()); }
    qreal width() const { return m_width; }
    qreal naturalWidth(qsizetype row) const { return m_widths[size_t(row)]; }

    // The height of `lineCount` wrapped lines of a font whose lines are `lineHeight` high.
    static qreal heightOf(int lineCount, qreal lineHeight);
    void setRowHeight(qsizetype row, qreal height);
    qreal rowHeight(qsizetype row) const { return m_heights[size_t(row)]; }
    qreal rowTop(qsizetype row) const;
    qreal contentHeight() const;
    // The first row whose bottom (with the spacing after it) lies below `y`; count() past the last.
    qsizetype rowAt(qreal y) const;

private:
    void updateTops() const;

    std::vector<qreal> m_widths;
    std::vector<qreal> m_heights;
    mutable std::vector<qreal> m_tops;
    mutable size_t m_firstStaleTop = 0;
    qreal m_lineHeight = 0;
    qreal m_width = 0;
};

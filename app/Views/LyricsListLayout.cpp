#include "LyricsListLayout.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

void LyricsListLayout::setLines(const QList<QString> &texts, const QFont &font)
{
    const QFontMetricsF metrics(font);
    m_lineHeight = metrics.height();
    m_widths.clear();
    m_widths.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        m_widths.push_back(metrics.horizontalAdvance(text.isEmpty() ? QStringLiteral(" ") : text));
    m_heights.assign(m_widths.size(), m_lineHeight);
    m_tops.resize(m_widths.size());
    m_firstStaleTop = 0;
    if (m_width > 0)
        setWidth(m_width);
}

void LyricsListLayout::setWidth(qreal width)
{
    m_width = width;
    const qreal usable = std::max<qreal>(1, width);
    for (size_t row = 0; row < m_widths.size(); ++row) {
        const int lines = std::max(1, int(std::ceil(m_widths[row] / usable - 1e-6)));
        m_heights[row] = heightOf(lines, m_lineHeight);
    }
    m_firstStaleTop = 0;
}

qreal LyricsListLayout::heightOf(int lineCount, qreal lineHeight)
{
    return lineCount * lineHeight + (lineCount - 1) * lineSpacing;
}

void LyricsListLayout::setRowHeight(qsizetype row, qreal height)
{
    if (m_heights[size_t(row)] == height)
        return;
    m_heights[size_t(row)] = height;
    m_firstStaleTop = std::min(m_firstStaleTop, size_t(row) + 1);
}

void LyricsListLayout::updateTops() const
{
    if (m_firstStaleTop >= m_tops.size())
        return;
    size_t row = m_firstStaleTop;
    qreal top = row == 0 ? verticalPadding : m_tops[row - 1] + m_heights[row - 1] + rowSpacing;
    for (; row < m_tops.size(); ++row) {
        m_tops[row] = top;
        top += m_heights[row] + rowSpacing;
    }
    m_firstStaleTop = m_tops.size();
}

qreal LyricsListLayout::rowTop(qsizetype row) const
{
    updateTops();
    return m_tops[size_t(row)];
}

qreal LyricsListLayout::contentHeight() const
{
    if (m_tops.empty())
        return 2 * verticalPadding;
    updateTops();
    return m_tops.back() + m_heights.back() + verticalPadding;
}

qsizetype LyricsListLayout::rowAt(qreal y) const
{
    updateTops();
    // Tops ascend, so the answer is the last row starting at or above y, unless y lies in the
    // spacing after it.
    const auto after = std::upper_bound(m_tops.begin(), m_tops.end(), y);
    if (after == m_tops.begin())
        return 0;
    const size_t row = size_t(after - m_tops.begin()) - 1;
    return qsizetype(m_tops[row] + m_heights[row] + rowSpacing <= y ? row + 1 : row);
}

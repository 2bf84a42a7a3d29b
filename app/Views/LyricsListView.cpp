#include "LyricsListView.h"

#include "BlurredCover.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr qreal syncedOpacity = 0.62;
constexpr qreal plainOpacity = 0.8;
constexpr qreal glowOpacity = 0.4;
constexpr qreal glowRadius = 8;
// Room around the current line's picture for its glow to fade out.
constexpr qreal glowMargin = 2 * glowRadius;
// Pixels scrolled per wheel notch (120 eighths of a degree).
constexpr qreal wheelStep = 60;
constexpr int rowTextCacheSize = 256;

QFont lineFont()
{
    return Fonts::system(LyricsListView::lineFontSize);
}

QFont currentFont()
{
    return Fonts::system(LyricsListView::currentFontSize, QFont::DemiBold);
}

// Wraps the text at `width`, lines 3 apart; returns the height.
qreal layOut(QTextLayout &layout, qreal width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    qreal y = 0;
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + LyricsListLayout::lineSpacing;
        ++lines;
    }
    layout.endLayout();
    return lines > 0 ? y - LyricsListLayout::lineSpacing : 0;
}

} // namespace

struct LyricsListView::RowText
{
    QTextLayout layout;
    qreal height = 0;
};

struct LyricsListView::CurrentLook
{
    qsizetype row = -1;
    qreal width = 0;
    QRgb color = 0;
    qreal ratio = 1;
    qreal height = 0; // of the text, without the glow's margin
    QImage picture; // text and glow, glowMargin wider on every side
};

LyricsListView::LyricsListView(QWidget *parent)
    : QWidget(parent)
    , m_rowTexts(rowTextCacheSize)
    , m_scroll(new QVariantAnimation(this))
    , m_blendAnimation(new QVariantAnimation(this))
{
    setAccessibleName(QStringLiteral("lyricsList"));
    setMinimumSize(0, 0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_scroll->setDuration(scrollMilliseconds);
    m_scroll->setEasingCurve(QEasingCurve::InOutQuad);
    m_scroll->setStartValue(0.0);
    m_scroll->setEndValue(1.0);
    connect(m_scroll, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (m_scrollTarget < 0 || m_scrollTarget >= m_layout.count())
            return;
        const qreal target = centringOffset(m_scrollTarget);
        setScrollOffset(m_scrollStart + (target - m_scrollStart) * value.toReal());
    });

    m_blendAnimation->setDuration(blendMilliseconds);
    m_blendAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    m_blendAnimation->setStartValue(0.0);
    m_blendAnimation->setEndValue(1.0);
    connect(m_blendAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_blend = value.toReal();
        update();
    });
}

LyricsListView::~LyricsListView() = default;

void LyricsListView::setLyrics(const Lyrics &lyrics)
{
    if (lyrics == m_lyrics)
        return;
    m_lyrics = lyrics;
    QList<QString> texts;
    texts.reserve(lyrics.lines.size());
    for (const LyricLine &line : lyrics.lines)
        texts.append(line.text);
    m_layout.setLines(texts, lineFont());
    m_layout.setWidth(textWidth());
    clearLayouts();
    m_previousRow.reset();
    m_blend = 1;
    m_blendAnimation->stop();
    stopScrollAnimation();
    setScrollOffset(m_offset);
    update();
}

void LyricsListView::setCurrentLineIndex(std::optional<qsizetype> index)
{
    const std::optional<qsizetype> before = currentRow();
    m_currentIndex = index;
    const std::optional<qsizetype> after = currentRow();
    if (before == after)
        return;
    m_previousRow = before;
    m_blend = 0;
    m_blendAnimation->stop();
    m_blendAnimation->start();
    update();
}

std::optional<qsizetype> LyricsListView::currentRow() const
{
    if (!m_lyrics.isSynced || m_lyrics.lines.isEmpty())
        return std::nullopt;
    return std::clamp<qsizetype>(m_currentIndex.value_or(0), 0, m_lyrics.lines.size() - 1);
}

void LyricsListView::scrollToCurrent(bool animated)
{
    const std::optional<qsizetype> target = currentRow();
    if (!target)
        return;
    // On the next turn, after the layout of this turn's changes.
    QMetaObject::invokeMethod(this, [this, row = *target, animated] {
        if (row >= m_layout.count())
            return;
        stopScrollAnimation();
        if (!animated) {
            setScrollOffset(centringOffset(row));
            return;
        }
        m_scrollTarget = row;
        m_scrollStart = m_offset;
        m_scroll->start();
    }, Qt::QueuedConnection);
}

bool LyricsListView::isScrollAnimating() const
{
    return m_scroll->state() == QAbstractAnimation::Running;
}

void LyricsListView::stopScrollAnimation()
{
    m_scroll->stop();
    m_scrollTarget = -1;
}

qreal LyricsListView::maximumScrollOffset() const
{
    return std::max<qreal>(0, m_layout.contentHeight() - height());
}

void LyricsListView::setScrollOffset(qreal offset)
{
    offset = std::clamp<qreal>(offset, 0, maximumScrollOffset());
    if (offset == m_offset)
        return;
    m_offset = offset;
    update();
}

qreal LyricsListView::textWidth() const
{
    return std::max<qreal>(1, width() - 2 * LyricsListLayout::horizontalPadding);
}

QString LyricsListView::displayText(qsizetype row) const
{
    const QString &text = m_lyrics.lines.at(row).text;
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

const LyricsListView::RowText &LyricsListView::rowText(qsizetype row) const
{
    if (RowText *cached = m_rowTexts.object(row))
        return *cached;
    auto *text = new RowText;
    text->layout.setText(displayText(row));
    text->layout.setFont(lineFont());
    text->height = layOut(text->layout, textWidth());
    m_rowTexts.insert(row, text);
    return *text;
}

const LyricsListView::CurrentLook &LyricsListView::currentLook(qsizetype row) const
{
    const QColor accent = ThemeEnvironment::theme(this).accent;
    const qreal ratio = devicePixelRatioF();
    // The line is enlarged by 1.02 from its leading edge, so it wraps a little narrower.
    const qreal width = textWidth() / currentScale;
    if (m_currentLook && m_currentLook->row == row && m_currentLook->width == width
        && m_currentLook->color == accent.rgba() && m_currentLook->ratio == ratio)
        return *m_currentLook;

    auto look = std::make_unique<CurrentLook>();
    look->row = row;
    look->width = width;
    look->color = accent.rgba();
    look->ratio = ratio;
    QTextLayout layout(displayText(row), currentFont());
    look->height = layOut(layout, width);

    const QSizeF size(width + 2 * glowMargin, look->height + 2 * glowMargin);
    QImage text((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    text.setDevicePixelRatio(ratio);
    text.fill(Qt::transparent);
    {
        QPainter painter(&text);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setPen(accent);
        layout.draw(&painter, QPointF(glowMargin, glowMargin));
    }
    // The glow: the text's shape in the accent, blurred by the glow's radius (about two deviations).
    QImage picture = BlurredCover::blurred(Icons::tinted(text, ThemePalette::withOpacity(accent, glowOpacity)), glowRadius / 2 * ratio);
    picture.setDevicePixelRatio(ratio);
    {
        QPainter painter(&picture);
        painter.drawImage(QPointF(0, 0), text);
    }
    look->picture = picture;
    m_currentLook = std::move(look);
    return *m_currentLook;
}

qreal LyricsListView::blendOf(qsizetype row) const
{
    if (row == currentRow())
        return m_blend;
    if (m_previousRow && row == *m_previousRow)
        return 1 - m_blend;
    return 0;
}

void LyricsListView::updateRowHeight(qsizetype row) const
{
    const qreal blend = blendOf(row);
    qreal height = rowText(row).height;
    if (blend > 0)
        height += (currentLook(row).height - height) * blend;
    m_layout.setRowHeight(row, height);
}

qreal LyricsListView::centringOffset(qsizetype row) const
{
    // The rows that will be in view around the target are laid out exactly first, so that the
    // offset matches what is painted there.
    const qreal half = height() / 2.0;
    updateRowHeight(row);
    qreal reach = m_layout.rowHeight(row) / 2;
    for (qsizetype above = row - 1; above >= 0 && reach < half; --above) {
        updateRowHeight(above);
        reach += m_layout.rowHeight(above) + LyricsListLayout::rowSpacing;
    }
    reach = m_layout.rowHeight(row) / 2;
    for (qsizetype below = row + 1; below < m_layout.count() && reach < half; ++below) {
        updateRowHeight(below);
        reach += m_layout.rowHeight(below) + LyricsListLayout::rowSpacing;
    }
    const qreal centre = m_layout.rowTop(row) + m_layout.rowHeight(row) / 2;
    return std::clamp<qreal>(centre - half, 0, maximumScrollOffset());
}

QRectF LyricsListView::rowRect(qsizetype row) const
{
    return QRectF(LyricsListLayout::horizontalPadding, m_layout.rowTop(row) - m_offset, textWidth(),
        m_layout.rowHeight(row));
}

void LyricsListView::clearLayouts()
{
    m_rowTexts.clear();
    m_currentLook.reset();
}

void LyricsListView::paintEvent(QPaintEvent *)
{
    if (m_layout.count() == 0)
        return;
    const ThemePalette theme = ThemeEnvironment::theme(this);
    const QColor lineColor = ThemePalette::withOpacity(theme.accent, m_lyrics.isSynced ? syncedOpacity : plainOpacity);
    QPainter painter(this);
    painter.setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.setPen(lineColor);

    const qreal x = LyricsListLayout::horizontalPadding;
    for (qsizetype row = m_layout.rowAt(m_offset); row < m_layout.count(); ++row) {
        updateRowHeight(row);
        const qreal y = m_layout.rowTop(row) - m_offset;
        if (y >= height())
            break;
        const qreal blend = blendOf(row);
        if (blend < 1) {
            painter.setOpacity(1 - blend);
            rowText(row).layout.draw(&painter, QPointF(x, y));
        }
        if (blend > 0) {
            const CurrentLook &look = currentLook(row);
            // Enlarged about the middle of the row's leading edge.
            const qreal scale = 1 + (currentScale - 1) * blend;
            const QPointF anchor(x, y + m_layout.rowHeight(row) / 2);
            painter.save();
            painter.setOpacity(blend);
            painter.translate(anchor);
            painter.scale(scale, scale);
            painter.translate(-anchor);
            painter.drawImage(QPointF(x - glowMargin, y - glowMargin), look.picture);
            painter.restore();
        }
    }
}

void LyricsListView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (textWidth() != m_layout.width()) {
        m_layout.setWidth(textWidth());
        clearLayouts();
    }
    setScrollOffset(m_offset);
}

void LyricsListView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    scrollToCurrent(false);
}

void LyricsListView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ScreenChangeInternal)
        clearLayouts();
}

void LyricsListView::wheelEvent(QWheelEvent *event)
{
    stopScrollAnimation();
    const qreal delta = event->pixelDelta().isNull() ? event->angleDelta().y() / 120.0 * wheelStep
                                                     : qreal(event->pixelDelta().y());
    setScrollOffset(m_offset - delta);
    event->accept();
}

void LyricsListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    stopScrollAnimation();
    m_dragOrigin = event->position().y();
    m_dragStartOffset = m_offset;
}

void LyricsListView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragOrigin)
        return QWidget::mouseMoveEvent(event);
    setScrollOffset(m_dragStartOffset - (event->position().y() - *m_dragOrigin));
}

void LyricsListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOrigin.reset();
    QWidget::mouseReleaseEvent(event);
}

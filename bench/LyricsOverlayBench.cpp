#include "Views/LyricLineRenderer.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

// The overlay at its default width: 560 px less the side paddings, plus the halo margins.
constexpr int lineWidth = 560 - 48 + 2 * LyricLineRenderer::margin;

const QStringList lines{
    QStringLiteral("晚风吹过 the quiet harbour 灯火一盏一盏亮起"),
    QStringLiteral("我们沿着旧日的街道走回从前"),
    QStringLiteral("Every light along the water knows your name"),
    QStringLiteral("把所有的故事都唱成一首慢歌"),
};

LyricLineStyle currentStyle(bool outline)
{
    LyricLineStyle style;
    style.pixelSize = 22.6;
    style.weight = QFont::DemiBold;
    style.maxLines = 2;
    style.fill = QColor(0x2f, 0x8f, 0x7f);
    style.outline = outline;
    style.stroke = QColor(255, 255, 255, 158);
    return style;
}

LyricLineStyle nextStyle(bool outline)
{
    LyricLineStyle style = currentStyle(outline);
    style.pixelSize *= 0.55;
    style.weight = QFont::Normal;
    style.emphasis = 0.72;
    style.maxLines = 1;
    return style;
}

// A change of line: the new current and next lines drawn once (argument: outline, pixel ratio).
void BM_LineChange(benchmark::State &state)
{
    const bool outline = state.range(0) != 0;
    const qreal ratio = qreal(state.range(1));
    qsizetype index = 0;
    for (auto _ : state) {
        const QString &current = lines[index % lines.size()];
        const QString &next = lines[(index + 1) % lines.size()];
        benchmark::DoNotOptimize(LyricLineRenderer::draw(current, currentStyle(outline), lineWidth, ratio));
        benchmark::DoNotOptimize(LyricLineRenderer::draw(next, nextStyle(outline), lineWidth, ratio));
        ++index;
    }
}
BENCHMARK(BM_LineChange)->Args({0, 1})->Args({1, 1})->Args({1, 2})->Unit(benchmark::kMillisecond);

// A change of line as the window sees it: the new lines were drawn ahead on a worker while the
// previous ones showed, so the change finds them and copies them into the window (argument:
// pixel ratio; outlined). Every round has lines of its own, so nothing comes from an earlier one.
void BM_LineChangeDrawnAhead(benchmark::State &state)
{
    const qreal ratio = qreal(state.range(0));
    LyricLineRenderer renderer;
    QImage window(QSize(560, 120) * ratio, QImage::Format_ARGB32_Premultiplied);
    window.setDevicePixelRatio(ratio);
    qsizetype index = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString current = lines[index % lines.size()] + QString::number(index);
        const QString next = lines[(index + 1) % lines.size()] + QString::number(index);
        renderer.prepare(current, currentStyle(true), lineWidth, ratio);
        renderer.prepare(next, nextStyle(true), lineWidth, ratio);
        while (!renderer.isReady(current, currentStyle(true), lineWidth, ratio)
            || !renderer.isReady(next, nextStyle(true), lineWidth, ratio))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ++index;
        state.ResumeTiming();
        window.fill(Qt::transparent);
        QPainter painter(&window);
        painter.drawPixmap(QPointF(20, 20), renderer.line(current, currentStyle(true), lineWidth, ratio));
        painter.drawPixmap(QPointF(20, 70), renderer.line(next, nextStyle(true), lineWidth, ratio));
    }
}
BENCHMARK(BM_LineChangeDrawnAhead)->Arg(2)->Iterations(300)->Unit(benchmark::kMillisecond);

// A repaint between line changes: both lines found in the cache and copied into the window.
void BM_Repaint(benchmark::State &state)
{
    const qreal ratio = qreal(state.range(0));
    LyricLineRenderer renderer;
    QImage window(QSize(560, 120) * ratio, QImage::Format_ARGB32_Premultiplied);
    window.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        window.fill(Qt::transparent);
        QPainter painter(&window);
        const QPixmap current = renderer.line(lines[0], currentStyle(true), lineWidth, ratio);
        const QPixmap next = renderer.line(lines[1], nextStyle(true), lineWidth, ratio);
        painter.drawPixmap(QPointF(20, 20), current);
        painter.drawPixmap(QPointF(20, 70), next);
    }
}
BENCHMARK(BM_Repaint)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

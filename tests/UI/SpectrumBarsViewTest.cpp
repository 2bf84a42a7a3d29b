#include "UI/SpectrumBarsView.h"

#include <QImage>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// Stands in for the player engine: publishes a spectrum and says when it changes.
class FakeSpectrumSource : public QObject
{
    Q_OBJECT

public:
    explicit FakeSpectrumSource(QList<float> spectrum = QList<float>(24, 0.0f))
        : m_spectrum(std::move(spectrum))
    {
    }

    const QList<float> &spectrum() const { return m_spectrum; }
    void publish(const QList<float> &spectrum)
    {
        m_spectrum = spectrum;
        emit spectrumChanged();
    }
    int subscriberCount() const { return receivers(SIGNAL(spectrumChanged())); }

signals:
    void spectrumChanged();

private:
    QList<float> m_spectrum;
};

namespace {

constexpr QRgb red = 0xFFFF0000;

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

std::unique_ptr<SpectrumBarsView> redBars(QSize size, const QList<float> &bands)
{
    auto view = std::make_unique<SpectrumBarsView>();
    view->setBottomColor(Qt::red);
    view->setTopColor(Qt::red);
    view->setCornerRadius(0);
    view->resize(size);
    view->setBands(bands);
    return view;
}

QImage rendered(SpectrumBarsView &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Rows covered by the bar whose column is x, counted from the bottom edge.
int filledHeight(const QImage &image, int x)
{
    int height = 0;
    for (int y = image.height() - 1; y >= 0 && image.pixel(x, y) == red; --y)
        ++height;
    return height;
}

} // namespace

TEST(SpectrumBarsView, LaysOutEqualBarsSeparatedByTheGapAtLeastOnePixelWide)
{
    const QImage image = rendered(*redBars({238, 20}, QList<float>(24, 1.0f)));
    for (int i = 0; i < 24; ++i) {
        for (int x = 10 * i; x < 10 * i + 8; ++x)
            EXPECT_EQ(image.pixel(x, 10), red) << "bar " << i << " x " << x;
        if (i < 23) {
            EXPECT_EQ(qAlpha(image.pixel(10 * i + 8, 10)), 0) << "gap after bar " << i;
            EXPECT_EQ(qAlpha(image.pixel(10 * i + 9, 10)), 0) << "gap after bar " << i;
        }
    }

    // Too narrow for 24 bars and their gaps: bars of one pixel that overflow.
    EXPECT_EQ(SpectrumBarsView::barRect(5, 24, 0.5f, {10, 20}, 2, 1), QRectF(15, 10, 1, 10));
    const QImage narrow = rendered(*redBars({10, 20}, QList<float>(24, 1.0f)));
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(narrow.pixel(x, 10) == red, x % 3 == 0) << "x " << x;
}

TEST(SpectrumBarsView, HeightFollowsTheClampedLevelWithAMinimumAndNoBandsDrawNothing)
{
    auto view = redBars({48, 40}, {0.0f, 1.7f, -0.3f, 0.5f, 0.25f});
    view->setMinBarHeight(2);
    QImage image = rendered(*view);
    const int heights[] = {2, 40, 2, 20, 10};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(filledHeight(image, 10 * i + 4), heights[i]) << "bar " << i;

    view->setBands({});
    image = rendered(*view);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 0);
    }
}

TEST(SpectrumBarsView, GradientSpansTheWholeHeightAndLowNarrowBarsAreCapsules)
{
    auto view = redBars({48, 100}, {1.0f, 0.1f});
    view->setBottomColor(QColor(0, 0, 255));
    view->setTopColor(QColor(255, 0, 0));
    const QImage image = rendered(*view);
    // The full bar reaches the top colour; the low bar shows only the bottom of the gradient.
    EXPECT_GT(qRed(image.pixel(10, 1)), 240);
    EXPECT_GT(qBlue(image.pixel(10, 98)), 240);
    EXPECT_GT(qBlue(image.pixel(35, 95)), 220);
    EXPECT_LT(qRed(image.pixel(35, 95)), 30);

    // A 4 x 3 bar under a corner radius of 6 gets radii of 2 and 1.5: its corners are cut
    // while its middle column is solid from top to bottom.
    auto capsule = redBars({4, 30}, {0.1f});
    capsule->setCornerRadius(6);
    const QImage round = rendered(*capsule);
    EXPECT_LT(qAlpha(round.pixel(0, 27)), 200);
    EXPECT_LT(qAlpha(round.pixel(3, 29)), 200);
    EXPECT_EQ(qAlpha(round.pixel(1, 28)), 255);
    EXPECT_EQ(qAlpha(round.pixel(2, 28)), 255);
    EXPECT_EQ(qAlpha(round.pixel(1, 26)), 0);
}

TEST(SpectrumBarsView, RepaintsOnlyWhenTheValuesChange)
{
    SpectrumBarsView view;
    view.resize(238, 30);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    PaintCounter paints;
    view.installEventFilter(&paints);

    const auto settle = [&] {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    };
    QList<float> bands(24, 0.5f);
    view.setBands(bands);
    settle();
    EXPECT_EQ(paints.count, 1);

    view.setBands(QList<float>(24, 0.5f));
    settle();
    EXPECT_EQ(paints.count, 1);

    bands[23] = 0.25f;
    view.setBands(bands);
    settle();
    EXPECT_EQ(paints.count, 2);

    // An appearance property repaints even when set to its current value.
    view.setGap(view.gap());
    settle();
    EXPECT_EQ(paints.count, 3);
}

TEST(SpectrumBarsView, ZeroSizedViewDrawsNothingAndRecoversWhenSized)
{
    for (const QSize size : { QSize(0, 30), QSize(238, 0) }) {
        auto view = redBars(size, QList<float>(24, 1.0f));
        view->show();
        view->repaint();
        QCoreApplication::processEvents();
        view->resize(238, 30);
        EXPECT_EQ(filledHeight(rendered(*view), 4), 30);
    }
}

TEST(SpectrumBarsView, FollowsOneAttachedSourceFromItsCurrentValueAndOutlivesIt)
{
    FakeSpectrumSource first(QList<float>(24, 0.25f));
    SpectrumBarsView view;
    view.attach(&first);
    view.attach(&first);
    EXPECT_EQ(first.subscriberCount(), 1);
    EXPECT_EQ(view.bands(), QList<float>(24, 0.25f));
    QList<float> next(24, 0.0f);
    next[3] = 0.9f;
    first.publish(next);
    EXPECT_EQ(view.bands(), next);

    {
        FakeSpectrumSource second(QList<float>(24, 0.7f));
        view.attach(&second);
        EXPECT_EQ(first.subscriberCount(), 0);
        EXPECT_EQ(second.subscriberCount(), 1);
        first.publish(QList<float>(24, 0.3f));
        EXPECT_EQ(view.bands(), QList<float>(24, 0.7f));
    }
    EXPECT_EQ(view.bands(), QList<float>(24, 0.7f));
    view.attach(&first);
    EXPECT_EQ(view.bands(), QList<float>(24, 0.3f));
}

#include "SpectrumBarsViewTest.moc"

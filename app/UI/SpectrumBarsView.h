#pragma once

#include <QColor>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

// The live spectrum as a row of rounded bars standing on the bottom edge, all painted with one
// vertical gradient from bottomColor to topColor over the view's full height.
class SpectrumBarsView : public QWidget
{
    Q_OBJECT

public:
    explicit SpectrumBarsView(QWidget *parent = nullptr);

    QColor bottomColor() const { return m_bottomColor; }
    QColor topColor() const { return m_topColor; }
    qreal gap() const { return m_gap; }
    qreal minBarHeight() const { return m_minBarHeight; }
    qreal cornerRadius() const { return m_cornerRadius; }
    const QList<float> &bands() const { return m_bands; }

    // Setting an appearance property always repaints.
    void setBottomColor(const QColor &color);
    void setTopColor(const QColor &color);
    void setGap(qreal gap);
    void setMinBarHeight(qreal height);
    void setCornerRadius(qreal radius);

    // Repaints only when the values differ from the shown ones.
    void setBands(const QList<float> &bands);

    // Follows a source's published spectrum: any QObject with spectrum() and a spectrumChanged
    // signal (the player engine). Attaching the source already followed keeps the subscription;
    // another source replaces it and shows that source's current spectrum at once.
    template <typename Source> void attach(Source *source)
    {
        if (!source || m_source == source)
            return;
        disconnect(m_subscription);
        m_source = source;
        const auto follow = [this, source] {
            const auto &spectrum = source->spectrum();
            setBands(QList<float>(spectrum.begin(), spectrum.end()));
        };
        m_subscription = connect(source, &Source::spectrumChanged, this, follow);
        follow();
    }

    // The geometry of bar `index` of `count` in a view of `size` (y grows downwards).
    static QRectF barRect(
        qsizetype index, qsizetype count, float value, QSizeF size, qreal gap, qreal minBarHeight);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_bottomColor = Qt::white;
    QColor m_topColor = Qt::white;
    qreal m_gap = 2;
    qreal m_minBarHeight = 1;
    qreal m_cornerRadius = 1.2;
    QList<float> m_bands;

    QPointer<QObject> m_source;
    QMetaObject::Connection m_subscription;
};

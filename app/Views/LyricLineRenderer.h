#pragma once

#include <QColor>
#include <QFont>
#include <QFutureWatcher>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>

// How one lyric line looks.
struct LyricLineStyle
{
    qreal pixelSize = 18;
    QFont::Weight weight = QFont::Normal;
    // Opacity of the fill.
    qreal emphasis = 1.0;
    int maxLines = 1;
    QColor fill;
    // Outlined text: a blurred halo and eight shifted copies in the stroke colour under the fill.
    bool outline = false;
    QColor stroke;

    friend bool operator==(const LyricLineStyle &, const LyricLineStyle &) = default;
};

// Draws lyric lines into pixmaps at the screen's pixel density and keeps the recent ones, so a
// repaint only copies pixels. Lines known to come next are drawn ahead on a worker, so a change
// of line finds them ready. Text too wide for its lines shrinks to half its size before it is cut.
class LyricLineRenderer : public QObject
{
    Q_OBJECT

public:
    // The drawn line, at most `width` logical pixels wide, centred; a little taller than the text
    // to hold its halo and shadow. Null for empty text.
    QPixmap line(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio);
    // Draws the line on a worker unless it is drawn or on its way.
    void prepare(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio);
    bool isReady(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio) const;

    // Without the cache. The image may be drawn on any thread.
    static QImage image(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio);
    static QPixmap draw(const QString &text, const LyricLineStyle &style, int width, qreal devicePixelRatio);
    // Room left around the text for its halo and shadow, in logical pixels.
    static constexpr int margin = 4;

private:
    struct Key
    {
        QString text;
        LyricLineStyle style;
        int width;
        qreal devicePixelRatio;
        friend bool operator==(const Key &, const Key &) = default;
    };
    friend size_t qHash(const Key &key, size_t seed);

    void keep(const Key &key, const QPixmap &pixmap);

    // The lines shown, those drawn ahead and those of the last change suffice.
    static constexpr int capacity = 8;
    QHash<Key, QPixmap> m_cache;
    QList<Key> m_order;
    QHash<Key, QFutureWatcher<QImage> *> m_pending;
};

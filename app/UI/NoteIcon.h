#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The music note beside the window title, on covers without artwork and in the tray: the bundled
// glyph fitted into a size x size square, or the code-drawn note symbol at point size `size`
// (semibold) when the glyph is missing; either way filled with `color`.
class NoteIcon : public QWidget
{
    Q_OBJECT

public:
    NoteIcon(qreal size, const QColor &color, QWidget *parent = nullptr);

    qreal iconSize() const { return m_size; }
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override;

    // The tinted note for painting elsewhere (cover placeholders); the bundle is asked each time.
    static QImage image(qreal size, const QColor &color, qreal devicePixelRatio = 1.0);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_size;
    QColor m_color;
};

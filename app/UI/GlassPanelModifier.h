#pragma once

#include <QWidget>

// Puts a content widget on a translucent rounded panel: the palette's panel tint over an
// ultra-thin material behind it, a hairline border inside the edge over it. The content keeps
// its size.
class GlassPanelModifier : public QWidget
{
    Q_OBJECT

public:
    GlassPanelModifier(QWidget *content, qreal cornerRadius, QWidget *parent = nullptr);

    QWidget *content() const { return m_content; }
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Border;

    QWidget *m_content;
    qreal m_cornerRadius;
    Border *m_border;
};

// The glass panel around `content`.
GlassPanelModifier *glassPanel(QWidget *content, qreal cornerRadius);

#pragma once

#include "UI/ThemePalette.h"

#include <QImage>
#include <QWidget>

// The cover square of the tag editor: the image scaled to fill it and cut at the edges, or the
// music note on the cover gradient when there is none.
class TagCoverPreview : public QWidget
{
    Q_OBJECT

public:
    static constexpr int side = 68;

    explicit TagCoverPreview(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }
    void setImage(const QImage &image);
    void applyTheme(const ThemePalette &theme);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    ThemePalette m_theme;
};

#pragma once

#include <QColor>
#include <QWidget>

// The frosted backdrop beneath floating panels. Linux has no system material to blur what lies
// behind a window, so a material is a translucent tint of its own colour, in the appearance of
// the palette; where see-through pixels would not show the desktop (no compositor) the tint is
// opaque.
class MaterialBackdrop : public QWidget
{
    Q_OBJECT

public:
    enum class Material { ultraThin, popover, hudWindow, underWindowBackground };
    enum class BlendingMode { behindWindow, withinWindow };

    MaterialBackdrop(Material material, BlendingMode blendingMode, QWidget *parent = nullptr);

    Material material() const { return m_material; }
    BlendingMode blendingMode() const { return m_blendingMode; }
    void setMaterial(Material material);
    void setBlendingMode(BlendingMode blendingMode);

    // The colour a material is drawn with.
    static QColor tint(Material material, bool isDark, bool translucent);
    // Fills `shape` with the material as `widget` would show it.
    static void paintMaterial(
        QPainter &painter, const QPainterPath &shape, Material material, const QWidget *widget);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Material m_material;
    BlendingMode m_blendingMode;
};

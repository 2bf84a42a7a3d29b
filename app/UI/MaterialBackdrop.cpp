#include "MaterialBackdrop.h"

#include "Compositor.h"
#include "ThemeEnvironment.h"

#include <QPainter>
#include <QPainterPath>

namespace {

struct MaterialLook
{
    QRgb light;
    QRgb dark;
    qreal opacity;
};

MaterialLook look(MaterialBackdrop::Material material)
{
    switch (material) {
    case MaterialBackdrop::Material::ultraThin:
        return { 0xF5F5F7, 0x1C1C1E, 0.35 };
    case MaterialBackdrop::Material::popover:
        return { 0xF6F6F6, 0x2A2A2C, 0.85 };
    case MaterialBackdrop::Material::hudWindow:
        return { 0xE8E8EA, 0x1C1C1E, 0.80 };
    case MaterialBackdrop::Material::underWindowBackground:
        return { 0xECECEC, 0x1E1E1E, 0.80 };
    }
    return { 0xECECEC, 0x1E1E1E, 0.80 };
}

} // namespace

MaterialBackdrop::MaterialBackdrop(Material material, BlendingMode blendingMode, QWidget *parent)
    : QWidget(parent)
    , m_material(material)
    , m_blendingMode(blendingMode)
{
}

void MaterialBackdrop::setMaterial(Material material)
{
    m_material = material;
    update();
}

void MaterialBackdrop::setBlendingMode(BlendingMode blendingMode)
{
    m_blendingMode = blendingMode;
    update();
}

QColor MaterialBackdrop::tint(Material material, bool isDark, bool translucent)
{
    const MaterialLook materialLook = look(material);
    QColor color(isDark ? materialLook.dark : materialLook.light);
    if (translucent)
        color.setAlphaF(float(materialLook.opacity));
    return color;
}

void MaterialBackdrop::paintMaterial(
    QPainter &painter, const QPainterPath &shape, Material material, const QWidget *widget)
{
    const bool dark = ThemeEnvironment::theme(widget).tokens.isDark;
    painter.fillPath(shape, tint(material, dark, Compositor::canShowThrough(widget)));
}

void MaterialBackdrop::paintEvent(QPaintEvent *)
{
    QPainterPath shape;
    shape.addRect(rect());
    QPainter painter(this);
    paintMaterial(painter, shape, m_material, this);
}

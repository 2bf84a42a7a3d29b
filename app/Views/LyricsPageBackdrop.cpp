#include "LyricsPageBackdrop.h"

#include "UI/MaterialBackdrop.h"
#include "UI/ThemeEnvironment.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace {

constexpr qreal coverScale = 1.18;
constexpr qreal blurRadius = 60;
constexpr qreal glowRadius = 420;

} // namespace

LyricsPageBackdrop::LyricsPageBackdrop(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&m_cache, &BlurredCoverCache::ready, this, [this](const FileLocation &cover) {
        if (cover == m_cover)
            fetchCover();
    });
}

void LyricsPageBackdrop::setCover(const std::optional<FileLocation> &cover)
{
    if (cover == m_cover)
        return;
    m_cover = cover;
    m_coverImage = QImage();
    m_stale = true;
    fetchCover();
    update();
}

int LyricsPageBackdrop::coverPixelSide() const
{
    return int(std::ceil(std::max(width(), height()) * coverScale * devicePixelRatioF()));
}

void LyricsPageBackdrop::fetchCover()
{
    if (!m_cover || width() <= 0 || height() <= 0)
        return;
    const QImage image = m_cache.find(*m_cover, coverPixelSide(), blurRadius * devicePixelRatioF());
    if (image.isNull() || image.cacheKey() == m_coverImage.cacheKey())
        return;
    m_coverImage = image;
    m_stale = true;
    update();
}

void LyricsPageBackdrop::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_stale = true;
    // A larger bucket is made in the background; the current image serves until it is ready.
    fetchCover();
}

void LyricsPageBackdrop::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        m_stale = true;
}

void LyricsPageBackdrop::rebuild()
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    const bool dark = theme.tokens.isDark;
    const qreal ratio = devicePixelRatioF();
    const QSizeF size = this->size();

    QPixmap picture((size * ratio).toSize());
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds(QPointF(0, 0), size);

    painter.fillRect(bounds, MaterialBackdrop::tint(MaterialBackdrop::Material::ultraThin, dark, true));

    if (!m_coverImage.isNull()) {
        // Fills the page keeping its square shape, then grows about the centre.
        const qreal side = std::max(size.width(), size.height()) * coverScale;
        const QRectF target(bounds.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
        painter.setOpacity(dark ? 0.34 : 0.22);
        painter.drawImage(target, m_coverImage);
        painter.setOpacity(1);
    }

    QLinearGradient wash(bounds.topLeft(), bounds.bottomRight());
    wash.setColorAt(0, ThemePalette::withOpacity(theme.backgroundTop, dark ? 0.58 : 0.68));
    wash.setColorAt(0.5, ThemePalette::withOpacity(theme.backgroundMiddle, dark ? 0.5 : 0.6));
    wash.setColorAt(1, ThemePalette::withOpacity(theme.backgroundBottom, dark ? 0.62 : 0.72));
    painter.fillRect(bounds, wash);

    QRadialGradient glow(QPointF(0.2 * size.width(), 0.1 * size.height()), glowRadius);
    glow.setColorAt(0, ThemePalette::withOpacity(theme.accent, dark ? 0.24 : 0.16));
    glow.setColorAt(1, Qt::transparent);
    painter.fillRect(bounds, glow);
    painter.end();

    m_picture = picture;
    m_pictureTheme = theme;
    m_stale = false;
}

void LyricsPageBackdrop::paintEvent(QPaintEvent *event)
{
    if (m_stale || m_pictureTheme != ThemeEnvironment::theme(this)
        || m_picture.devicePixelRatio() != devicePixelRatioF())
        rebuild();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, m_picture);
}

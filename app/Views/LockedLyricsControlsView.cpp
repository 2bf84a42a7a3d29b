#include "LockedLyricsControlsView.h"

#include "OverlaySymbols.h"
#include "SymbolButton.h"

#include "Localization.h"
#include "UI/AppModel.h"
#include "UI/Icons.h"
#include "UI/MaterialBackdrop.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <optional>

// Follows the pointer in screen coordinates from a press on it, handing on each step.
class LockedLyricsControlsView::Handle : public QWidget
{
public:
    explicit Handle(LockedLyricsControlsView &pill)
        : QWidget(&pill)
        , m_pill(pill)
        , m_symbol(OverlaySymbols::moveArrows(10, pill.devicePixelRatioF()))
    {
        setFixedSize(30, 28);
        setCursor(Qt::OpenHandCursor);
        setToolTip(L("拖动歌词"));
        setAccessibleName(L("拖动歌词"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QColor color = ThemeEnvironment::theme(this).text;
        color.setAlphaF(0.7f);
        const QImage image = Icons::tinted(m_symbol, color);
        const QSizeF size = image.deviceIndependentSize();
        QPainter(this).drawImage(
            QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size), image);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        m_last = event->globalPosition().toPoint();
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        const QPoint current = event->globalPosition().toPoint();
        if (!m_last) {
            m_last = current;
            return;
        }
        const QPoint step = current - *m_last;
        m_last = current;
        if (m_pill.onMove)
            m_pill.onMove(step);
    }

    void mouseReleaseEvent(QMouseEvent *) override { m_last.reset(); }

private:
    LockedLyricsControlsView &m_pill;
    QImage m_symbol;
    std::optional<QPoint> m_last;
};

LockedLyricsControlsView::LockedLyricsControlsView(AppModel &model, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(64, 30);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    auto *unlock = new SymbolButton(OverlaySymbols::lockOpen(12, devicePixelRatioF()), 0.85, 28, L("解锁歌词"), this);
    unlock->setObjectName(QStringLiteral("unlockButton"));
    unlock->setFixedSize(30, 28);
    connect(unlock, &QAbstractButton::clicked, &model, [&model] { model.setLyricsLocked(false); });
    row->addWidget(unlock);
    auto *handle = new Handle(*this);
    handle->setObjectName(QStringLiteral("moveHandle"));
    row->addWidget(handle);
}

void LockedLyricsControlsView::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    MaterialBackdrop::paintMaterial(painter, capsule,
        palette.tokens.isDark ? MaterialBackdrop::Material::hudWindow : MaterialBackdrop::Material::popover, this);
    QColor tint = palette.panelTint;
    tint.setAlphaF(0.58f);
    painter.fillPath(capsule, tint);
    painter.setPen(QPen(palette.hairline, 0.5));
    painter.drawPath(capsule);
}

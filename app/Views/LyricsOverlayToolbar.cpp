#include "LyricsOverlayToolbar.h"

#include "OverlayControlButton.h"
#include "OverlaySymbols.h"
#include "OverlayTextButton.h"

#include "Localization.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QSlider>

namespace {

constexpr qreal symbolSize = 11;
// The slider runs in hundredths of the opacity.
constexpr int opacityScale = 100;

} // namespace

LyricsOverlayToolbar::LyricsOverlayToolbar(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    const qreal ratio = devicePixelRatioF();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(9, 5, 9, 5);
    row->setSpacing(5);

    auto *lock = new OverlayControlButton(OverlaySymbols::lockOpen(symbolSize, ratio), L("锁定歌词"), this);
    connect(lock, &QAbstractButton::clicked, this, [this] { m_model.setLyricsLocked(true); });
    auto *narrower = new OverlayControlButton(OverlaySymbols::textSmaller(symbolSize, ratio), L("缩小"), this);
    connect(narrower, &QAbstractButton::clicked, this, [this] { emit resizeRequested(-40); });
    auto *wider = new OverlayControlButton(OverlaySymbols::textLarger(symbolSize, ratio), L("放大"), this);
    connect(wider, &QAbstractButton::clicked, this, [this] { emit resizeRequested(40); });

    m_opacity = new QSlider(Qt::Horizontal, this);
    m_opacity->setObjectName(QStringLiteral("lyricsOpacitySlider"));
    m_opacity->setRange(5, 90);
    m_opacity->setFixedWidth(62);
    m_opacity->setFocusPolicy(Qt::NoFocus);
    m_opacity->setToolTip(L("悬停背景不透明度"));
    connect(m_opacity, &QSlider::valueChanged, this, [this] {
        emit opacityPreviewed(sliderOpacity());
        // A drag is stored once, when it ends; a click on the groove at once.
        if (!m_opacity->isSliderDown())
            m_model.setLyricsOpacity(sliderOpacity());
    });
    connect(m_opacity, &QSlider::sliderReleased, this, [this] { m_model.setLyricsOpacity(sliderOpacity()); });

    m_lineMode = new OverlayTextButton(L("切换单行 / 双行"), this);
    m_lineMode->setObjectName(QStringLiteral("lineModeButton"));
    connect(m_lineMode, &QAbstractButton::clicked, this, &LyricsOverlayToolbar::lineModeToggled);
    m_outline = new OverlayTextButton(L("文字描边"), this);
    m_outline->setObjectName(QStringLiteral("outlineButton"));
    m_outline->setTitle(L("描边"));
    connect(m_outline, &QAbstractButton::clicked, this, &LyricsOverlayToolbar::outlineToggled);

    m_miniPlayer = new OverlayControlButton(QImage(), QString(), this);
    connect(m_miniPlayer, &QAbstractButton::clicked, this, &LyricsOverlayToolbar::toggleMiniPlayer);
    showMiniPlayerState();
    connect(&m_model, &AppModel::isMiniPlayerVisibleChanged, this, &LyricsOverlayToolbar::showMiniPlayerState);

    auto *close = new OverlayControlButton(OverlaySymbols::cross(symbolSize, ratio), L("关闭歌词"), this);
    connect(close, &QAbstractButton::clicked, this, &LyricsOverlayToolbar::close);

    for (QWidget *item : {static_cast<QWidget *>(lock), static_cast<QWidget *>(narrower),
             static_cast<QWidget *>(wider), static_cast<QWidget *>(m_opacity), static_cast<QWidget *>(m_lineMode),
             static_cast<QWidget *>(m_outline), static_cast<QWidget *>(m_miniPlayer), static_cast<QWidget *>(close)})
        row->addWidget(item, 0, Qt::AlignVCenter);
    setFixedSize(sizeHint());
}

void LyricsOverlayToolbar::showState(double opacity, bool outline, const QString &lineMode)
{
    if (!m_opacity->isSliderDown()) {
        const QSignalBlocker quiet(m_opacity);
        m_opacity->setValue(qRound(opacity * opacityScale));
    }
    m_lineMode->setTitle(lineMode == QLatin1String("two") ? L("单行") : L("双行"));
    m_outline->setOn(outline);
    setFixedSize(sizeHint());
}

double LyricsOverlayToolbar::sliderOpacity() const
{
    return double(m_opacity->value()) / opacityScale;
}

void LyricsOverlayToolbar::showMiniPlayerState()
{
    const qreal ratio = devicePixelRatioF();
    if (m_model.isMiniPlayerVisible())
        m_miniPlayer->setSymbol(OverlaySymbols::miniPlayerClose(symbolSize, ratio), L("关闭迷你窗口"));
    else
        m_miniPlayer->setSymbol(OverlaySymbols::miniPlayerOpen(symbolSize, ratio), L("打开迷你窗口"));
}

void LyricsOverlayToolbar::toggleMiniPlayer()
{
    if (!m_model.isMiniPlayerVisible()) {
        m_model.showMiniPlayer();
        return;
    }
    if (MiniPlayerPanel *miniPlayer = m_model.miniPlayer())
        miniPlayer->hide();
}

void LyricsOverlayToolbar::close()
{
    if (m_model.isLyricsVisible())
        m_model.setLyricsVisible(false);
}

void LyricsOverlayToolbar::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    const qreal radius = capsule.height() / 2;
    QColor fill = palette.panelTint;
    fill.setAlphaF(0.82f);
    painter.setBrush(fill);
    painter.setPen(QPen(palette.hairline, 0.5));
    painter.drawRoundedRect(capsule, radius, radius);
}

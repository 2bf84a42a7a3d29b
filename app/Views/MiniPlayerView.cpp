#include "MiniPlayerView.h"

#include "Localization.h"
#include "MiniButton.h"
#include "MiniPlayerSymbols.h"
#include "MiniPlayerTexts.h"
#include "MiniPositionView.h"
#include "MiniProgressLineView.h"
#include "MiniSpectrumView.h"
#include "MiniTitleBlock.h"
#include "TrackCoverView.h"
#include "UI/AppModel.h"
#include "UI/MaterialBackdrop.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QWindow>

namespace {

constexpr int progressHeight = 2;

} // namespace

MiniPlayerView::MiniPlayerView(AppModel &model, PlaybackEngine &engine, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_cover(new TrackCoverView(40, 10, this))
    , m_titleBlock(new MiniTitleBlock(112, this))
    , m_spectrum(new MiniSpectrumView(engine, this))
    , m_position(new MiniPositionView(model, engine, this))
    , m_progress(new MiniProgressLineView(model, engine, plateRadius, this))
{
    setObjectName(QStringLiteral("miniPlayerView"));
    setFixedSize(480, 66);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(9, 0, 12, 0);
    row->setSpacing(0);
    row->addWidget(m_cover, 0, Qt::AlignVCenter);
    row->addSpacing(9);
    row->addWidget(m_titleBlock, 0, Qt::AlignVCenter);
    row->addSpacing(4);
    row->addWidget(m_spectrum, 0, Qt::AlignVCenter);
    row->addSpacing(4);
    row->addStretch(1);
    row->addSpacing(8);
    row->addWidget(m_position, 0, Qt::AlignVCenter);
    row->addSpacing(6);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buildButtons(buttons);
    row->addLayout(buttons);
    m_progress->raise();

    for (const auto signal : {&AppModel::isPlayingChanged, &AppModel::isLyricsVisibleChanged})
        connect(&model, signal, this, &MiniPlayerView::refresh);
    connect(&model, &AppModel::currentTrackChanged, this, &MiniPlayerView::refreshCover);
    connect(&model, &AppModel::currentTrackChanged, this, &MiniPlayerView::refresh);
    connect(&model, &AppModel::lyricsStateChanged, this, &MiniPlayerView::refresh);
    connect(&model, &AppModel::currentLyricLineIndexChanged, this, &MiniPlayerView::refresh);
    refreshCover();
    refresh();
}

QList<MiniButton *> MiniPlayerView::buttons() const
{
    return {m_previousButton, m_playButton, m_nextButton, m_lyricsButton, m_expandButton};
}

void MiniPlayerView::buildButtons(QLayout *row)
{
    m_previousButton = new MiniButton(Icons::backwardEnd, 13, 22, false, this);
    m_previousButton->setHelp(L("上一首"));
    connect(m_previousButton, &MiniButton::clicked, &m_model, [this] { m_model.previous(); });

    m_playButton = new MiniButton(Icons::play, 14, 30, true, this);
    connect(m_playButton, &MiniButton::clicked, &m_model, &AppModel::togglePlayback);

    m_nextButton = new MiniButton(Icons::forwardEnd, 13, 22, false, this);
    m_nextButton->setHelp(L("下一首"));
    connect(m_nextButton, &MiniButton::clicked, &m_model, [this] { m_model.next(); });

    m_lyricsButton = new MiniButton(Icons::textAlignLeft, 18, 22, false, this);
    connect(m_lyricsButton, &MiniButton::clicked, &m_model,
        [this] { m_model.setLyricsVisible(!m_model.isLyricsVisible()); });

    m_expandButton = new MiniButton(MiniPlayerSymbols::rectangleExpandVertical, 14, 22, false, this);
    m_expandButton->setHelp(L("展开主窗口"));
    connect(m_expandButton, &MiniButton::clicked, this, [this] {
        if (onExpand)
            onExpand();
    });

    for (MiniButton *button : buttons())
        row->addWidget(button);
    row->setAlignment(Qt::AlignVCenter);
}

void MiniPlayerView::refresh()
{
    const std::optional<Track> &track = m_model.currentTrack();
    m_titleBlock->setTexts(MiniPlayerTexts::title(track), MiniPlayerTexts::subtitle(track, m_model.currentLyricText()));

    const bool playing = m_model.isPlaying();
    m_playButton->setSymbol(playing ? Icons::pause : Icons::play);
    m_playButton->setHelp(playing ? L("暂停") : L("播放"));

    const bool lyricsVisible = m_model.isLyricsVisible();
    m_lyricsButton->setActive(lyricsVisible);
    m_lyricsButton->setHelp(lyricsVisible ? L("隐藏歌词") : L("显示歌词"));
}

void MiniPlayerView::refreshCover()
{
    const std::optional<Track> &track = m_model.currentTrack();
    m_cover->setUrl(track ? m_model.library().artworkURL(*track) : std::nullopt);
}

void MiniPlayerView::resizeEvent(QResizeEvent *event)
{
    m_progress->setGeometry(0, height() - progressHeight, width(), progressHeight);
    QWidget::resizeEvent(event);
}

// Back to front: the material, the accent glow, the tint (the glow goes over the material, which
// is opaque without a compositor); the row lies on them, and the border and the
// top highlight go over its edges.
void MiniPlayerView::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    const bool dark = theme.tokens.isDark;
    const QRectF bounds = rect();
    QPainterPath plate;
    plate.addRoundedRect(bounds, plateRadius, plateRadius);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(plate);

    QRadialGradient glow(QPointF(bounds.width() * 0.16, bounds.height() * 0.1), 220);
    glow.setColorAt(0, ThemePalette::withOpacity(theme.accent, dark ? 0.22 : 0.14));
    glow.setColorAt(1, Qt::transparent);
    MaterialBackdrop::paintMaterial(painter, plate, MaterialBackdrop::Material::ultraThin, this);
    painter.fillPath(plate, glow);
    painter.fillPath(plate, ThemePalette::withOpacity(theme.playerTint, dark ? 0.34 : 0.62));

    QLinearGradient border(bounds.topLeft(), bounds.bottomRight());
    border.setColorAt(0, ThemePalette::withOpacity(theme.accent, 0.55));
    border.setColorAt(0.5, theme.hairline);
    border.setColorAt(1, ThemePalette::withOpacity(theme.accentSecondary, 0.38));
    painter.setPen(QPen(QBrush(border), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = 0.5;
    painter.drawRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), plateRadius - inset, plateRadius - inset);

    const QRectF highlight(28, 0, bounds.width() - 56, 1);
    QLinearGradient fade(highlight.topLeft(), highlight.bottomLeft());
    fade.setColorAt(0, ThemePalette::withOpacity(Qt::white, dark ? 0.16 : 0.4));
    fade.setColorAt(1, Qt::transparent);
    painter.fillRect(highlight, fade);
}

void MiniPlayerView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    QWindow *window = this->window()->windowHandle();
    if (window && window->startSystemMove())
        return;
    m_dragOffset = event->globalPosition().toPoint() - this->window()->pos();
}

void MiniPlayerView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragOffset)
        window()->move(event->globalPosition().toPoint() - *m_dragOffset);
}

void MiniPlayerView::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

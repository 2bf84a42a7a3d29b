#include "PlayerBarView.h"

#include "CoverButton.h"
#include "Localization.h"
#include "PlayPauseButton.h"
#include "PlayerBarTimes.h"
#include "PlayerIconButton.h"
#include "PlayerProgressLine.h"
#include "TrackCoverView.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "UI/SpectrumBarsView.h"
#include "UI/ThemeEnvironment.h"
#include "VolumeButton.h"

#include <QPainter>

#include <array>

namespace {

constexpr int sideInset = 18;
constexpr int coverSize = 42;
constexpr int coverSpacing = 13;
constexpr int trackInfoWidth = 220;
constexpr int transportSpacing = 20;
constexpr int transportButton = 34;
constexpr int rightSpacing = 8;
constexpr int spectrumHeight = 16;
constexpr int timesBottomInset = 4;
// The transport sits in the bar below a 6-pixel inset.
constexpr int transportTopInset = 6;

QFont titleFont()
{
    return Fonts::system(12.5, QFont::DemiBold);
}

QFont subtitleFont()
{
    return Fonts::system(10.5);
}

} // namespace

int PlayerBarView::overhang()
{
    return PlayerProgressLine::overhang;
}

PlayerBarView::PlayerBarView(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_cover(new CoverButton(coverSize, 8, this))
    , m_previous(new PlayerIconButton(Icons::backwardEnd, Icons::pointSize, transportButton, this))
    , m_playPause(new PlayPauseButton(this))
    , m_next(new PlayerIconButton(Icons::forwardEnd, Icons::pointSize, transportButton, this))
    , m_mode(new PlayerIconButton(Icons::repeat, 18, 32, this))
    , m_volume(new VolumeButton(model, this))
    , m_lyrics(new PlayerIconButton(Icons::textAlignLeft, 18, 30, this))
    , m_miniPlayer(new PlayerIconButton(Icons::rectangleCompressVertical, 16, 30, this))
    , m_progress(new PlayerProgressLine(model, this))
    , m_times(new PlayerBarTimes(model, this))
{
    setObjectName(QStringLiteral("playerBar"));
    setFixedHeight(overhang() + barHeight);
    m_previous->setHelp(L("上一首"));
    m_next->setHelp(L("下一首"));
    m_miniPlayer->setHelp(L("切换到迷你窗口"));

    connect(m_cover, &CoverButton::clicked, &m_model, &AppModel::toggleLyricsPage);
    connect(m_previous, &PlayerIconButton::clicked, &m_model, &AppModel::previous);
    connect(m_playPause, &PlayPauseButton::clicked, &m_model, &AppModel::togglePlayback);
    connect(m_next, &PlayerIconButton::clicked, &m_model, &AppModel::next);
    connect(m_mode, &PlayerIconButton::clicked, this,
        [this] { m_model.setPlaybackMode(nextMode(m_model.queue().mode())); });
    connect(m_lyrics, &PlayerIconButton::clicked, this,
        [this] { m_model.setLyricsVisible(!m_model.isLyricsVisible()); });
    connect(m_miniPlayer, &PlayerIconButton::clicked, &m_model, &AppModel::showMiniPlayer);

    connect(&m_model, &AppModel::currentTrackChanged, this, &PlayerBarView::showTrack);
    connect(&m_model, &AppModel::isPlayingChanged, this, &PlayerBarView::showPlaying);
    connect(&m_model, &AppModel::queueChanged, this, &PlayerBarView::showMode);
    connect(&m_model, &AppModel::isLyricsVisibleChanged, this, &PlayerBarView::showLyricsVisible);
    connect(&m_model, &AppModel::showsLyricsPageChanged, this, &PlayerBarView::showLyricsPage);
    connect(&m_model, &AppModel::settingsChanged, this, &PlayerBarView::showSpectrumSetting);

    showTrack();
    showPlaying();
    showMode();
    showLyricsVisible();
    showLyricsPage();
    showSpectrumSetting();
    m_progress->raise();
    m_times->raise();
}

QRect PlayerBarView::barRect() const
{
    return QRect(0, overhang(), width(), barHeight);
}

QString PlayerBarView::title(const std::optional<Track> &track)
{
    return track ? track->title : L("未在播放");
}

QString PlayerBarView::subtitle(const std::optional<Track> &track)
{
    if (!track)
        return L("选择一首歌曲");
    if (track->isMissing)
        return L("文件缺失");
    QStringList parts;
    // Only empty texts are left out; a blank one is shown.
    for (const QString &part : {track->artist, track->album}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    // A single space keeps the line's height.
    return parts.isEmpty() ? QStringLiteral(" ") : parts.join(QStringLiteral(" · "));
}

Icons::Symbol PlayerBarView::modeSymbol(PlaybackMode mode)
{
    switch (mode) {
    case PlaybackMode::Sequential:
        return Icons::arrowRight;
    case PlaybackMode::RepeatAll:
        return Icons::repeat;
    case PlaybackMode::RepeatOne:
        return Icons::repeatOne;
    case PlaybackMode::Shuffle:
        return Icons::shuffle;
    }
    return Icons::repeat;
}

QString PlayerBarView::modeHelp(PlaybackMode mode)
{
    switch (mode) {
    case PlaybackMode::Sequential:
        return L("顺序播放");
    case PlaybackMode::RepeatAll:
        return L("列表循环");
    case PlaybackMode::RepeatOne:
        return L("单曲循环");
    case PlaybackMode::Shuffle:
        return L("随机播放");
    }
    return {};
}

PlaybackMode PlayerBarView::nextMode(PlaybackMode mode)
{
    constexpr std::array cycle{PlaybackMode::RepeatAll, PlaybackMode::RepeatOne, PlaybackMode::Shuffle};
    const auto found = std::find(cycle.begin(), cycle.end(), mode);
    if (found == cycle.end())
        return PlaybackMode::RepeatAll;
    return cycle[size_t(found - cycle.begin() + 1) % cycle.size()];
}

void PlayerBarView::showTrack()
{
    const std::optional<Track> &track = m_model.currentTrack();
    m_cover->cover()->setUrl(track ? m_model.library().artworkURL(*track) : std::nullopt);
    // Title and subtitle are painted by the bar.
    update(QRect(sideInset, overhang(), trackInfoWidth, barHeight));
}

void PlayerBarView::showPlaying()
{
    m_playPause->setShowsPause(m_model.isPlaying());
}

void PlayerBarView::showMode()
{
    const PlaybackMode mode = m_model.queue().mode();
    m_mode->setSymbol(modeSymbol(mode), 18);
    m_mode->setHelp(modeHelp(mode));
}

void PlayerBarView::showLyricsVisible()
{
    m_lyrics->setHelp(m_model.isLyricsVisible() ? L("隐藏歌词") : L("显示歌词"));
}

void PlayerBarView::showLyricsPage()
{
    const bool shows = m_model.showsLyricsPage();
    m_cover->setHelp(shows ? L("返回歌曲列表") : L("查看当前歌曲歌词"),
        shows ? L("封面，返回歌曲列表") : L("封面，打开歌词页"));
}

void PlayerBarView::showSpectrumSetting()
{
    const bool shows = m_model.library().settings().showMainSpectrum;
    if (shows == (m_spectrum != nullptr))
        return;
    if (!shows) {
        delete std::exchange(m_spectrum, nullptr);
        return;
    }
    m_spectrum = new SpectrumBarsView(this);
    m_spectrum->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_spectrum->setGap(2);
    m_spectrum->setMinBarHeight(1);
    m_spectrum->setCornerRadius(1);
    m_spectrum->attach(&m_model.engine());
    m_spectrum->lower();
    layOut();
    m_spectrum->show();
}

void PlayerBarView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void PlayerBarView::layOut()
{
    const QRect bar = barRect();
    const int w = width();
    m_progress->setGeometry(0, 0, w, m_progress->height());
    m_times->setGeometry(0, bar.bottom() + 1 - timesBottomInset - m_times->height(), w, m_times->height());
    if (m_spectrum)
        m_spectrum->setGeometry(sideInset, bar.bottom() + 1 - spectrumHeight, std::max(0, w - 2 * sideInset), spectrumHeight);

    const int middle = bar.top() + barHeight / 2;
    m_cover->move(sideInset, middle - m_cover->height() / 2);

    // Transport: centred in the bar below its top inset.
    const int transportMiddle = bar.top() + transportTopInset + (barHeight - transportTopInset) / 2;
    const int centre = w / 2;
    m_playPause->move(centre - m_playPause->width() / 2, transportMiddle - m_playPause->height() / 2);
    const int skipOffset = PlayPauseButton::diameter / 2 + transportSpacing + transportButton / 2;
    m_previous->move(centre - skipOffset - transportButton / 2, transportMiddle - transportButton / 2);
    m_next->move(centre + skipOffset - transportButton / 2, transportMiddle - transportButton / 2);

    // Right-hand controls, from the right edge inwards.
    int right = w - sideInset;
    for (QWidget *control : {static_cast<QWidget *>(m_miniPlayer), static_cast<QWidget *>(m_lyrics),
             static_cast<QWidget *>(m_volume), static_cast<QWidget *>(m_mode)}) {
        right -= control->width();
        control->move(right, middle - control->height() / 2);
        right -= rightSpacing;
    }
}

void PlayerBarView::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const bool dark = palette.tokens.isDark;
    QPainter painter(this);
    painter.fillRect(barRect(), ThemePalette::withAlpha(palette.backgroundBottom, dark ? 0.42 : 0.5));

    if (m_spectrum) {
        // Follows the palette: the spectrum has no theme of its own.
        const QColor bottom = ThemePalette::withAlpha(palette.accent, 0.16);
        const QColor top = ThemePalette::withAlpha(palette.accent, 0.34);
        if (m_spectrum->bottomColor() != bottom)
            m_spectrum->setBottomColor(bottom);
        if (m_spectrum->topColor() != top)
            m_spectrum->setTopColor(top);
    }

    const std::optional<Track> &track = m_model.currentTrack();
    const int textLeft = sideInset + coverSize + coverSpacing;
    const int textWidth = sideInset + trackInfoWidth - textLeft;
    const QFontMetrics titleMetrics(titleFont());
    const QFontMetrics subtitleMetrics(subtitleFont());
    constexpr int lineSpacing = 2;
    const int blockHeight = titleMetrics.height() + lineSpacing + subtitleMetrics.height();
    const int top = barRect().top() + (barHeight - blockHeight) / 2;

    painter.setFont(titleFont());
    painter.setPen(palette.text);
    painter.drawText(QRect(textLeft, top, textWidth, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        titleMetrics.elidedText(title(track), Qt::ElideRight, textWidth));
    painter.setFont(subtitleFont());
    painter.setPen(ThemePalette::withAlpha(palette.text, dark ? 0.55 : 0.62));
    painter.drawText(QRect(textLeft, top + titleMetrics.height() + lineSpacing, textWidth, subtitleMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, subtitleMetrics.elidedText(subtitle(track), Qt::ElideRight, textWidth));
}

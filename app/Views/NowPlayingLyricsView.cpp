#include "NowPlayingLyricsView.h"

#include "CoverButton.h"
#include "Localization.h"
#include "LyricsEmptyState.h"
#include "LyricsListView.h"
#include "LyricsOriginBadge.h"
#include "LyricsPageBackdrop.h"
#include "LyricsPageButton.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "TrackCoverView.h"
#include "UI/ThemeEnvironment.h"

#include <QLabel>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int coverSide = 210;
constexpr qreal coverCornerRadius = 20;

// Centred over at most two lines.
QLabel *titleLabel(const QFont &font)
{
    auto *label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setMaximumHeight(2 * label->fontMetrics().lineSpacing());
    return label;
}

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

LyricsPageButton *actionButton(const QString &title, LyricsPageSymbols::Symbol symbol, const QString &help, bool primary)
{
    auto *button = new LyricsPageButton(title, LyricsPageButton::SymbolLook { symbol, 10, QFont::Normal },
        Fonts::system(11.5, QFont::Medium), { .height = 28, .horizontalPadding = 0, .cornerRadius = 8, .spacing = 6 },
        [primary](const ThemePalette &theme) {
            if (primary)
                return LyricsPageButton::Colors { theme.onAccent, theme.accent, Qt::transparent };
            return LyricsPageButton::Colors { ThemePalette::withOpacity(theme.accent, 0.9), theme.raisedFill,
                ThemePalette::withOpacity(theme.accent, 0.3) };
        });
    button->setHelp(help);
    button->setFixedWidth(NowPlayingLyricsView::leftColumnWidth);
    return button;
}

} // namespace

NowPlayingLyricsView::NowPlayingLyricsView(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_backdrop(new LyricsPageBackdrop(this))
    , m_right(new QStackedWidget(this))
    , m_list(new LyricsListView)
    , m_empty(new LyricsEmptyState)
{
    setObjectName(QStringLiteral("lyricsPage"));
    setAccessibleName(QStringLiteral("lyricsPage"));
    setMinimumSize(0, 0);
    m_header = buildHeader();
    m_left = buildLeftColumn();
    m_right->setMinimumSize(0, 0);
    m_right->addWidget(m_list);
    m_right->addWidget(m_empty);

    connect(m_back, &QAbstractButton::clicked, &m_model, &AppModel::toggleLyricsPage);
    connect(m_cover, &QAbstractButton::clicked, &m_model, &AppModel::toggleLyricsPage);
    connect(m_import, &QAbstractButton::clicked, &m_model, &AppModel::promptImportLyrics);
    connect(m_retry, &QAbstractButton::clicked, &m_model, &AppModel::retryLyrics);
    connect(m_restore, &QAbstractButton::clicked, &m_model, &AppModel::restoreAutomaticLyrics);
    connect(m_empty, &LyricsEmptyState::retryRequested, &m_model, &AppModel::retryLyrics);
    connect(m_empty, &LyricsEmptyState::importRequested, &m_model, &AppModel::promptImportLyrics);

    connect(&m_model, &AppModel::currentTrackChanged, this, &NowPlayingLyricsView::followTrack);
    connect(&m_model, &AppModel::lyricsStateChanged, this, &NowPlayingLyricsView::followLyrics);
    connect(&m_model, &AppModel::currentLyricLineIndexChanged, this, &NowPlayingLyricsView::followLine);
    followTrack();
    followLyrics();
    m_list->setCurrentLineIndex(m_model.currentLyricLineIndex());
}

QWidget *NowPlayingLyricsView::buildHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("lyricsPageHeader"));
    m_back = new LyricsPageButton(L("返回列表"),
        LyricsPageButton::SymbolLook { LyricsPageSymbols::Symbol::chevronLeft, 10, QFont::DemiBold },
        Fonts::system(11.5, QFont::Medium), { .height = 27, .horizontalPadding = 11, .cornerRadius = {}, .spacing = 5 },
        [](const ThemePalette &theme) {
            return LyricsPageButton::Colors { ThemePalette::withOpacity(theme.accent, 0.9), theme.raisedFill, theme.hairline };
        });
    m_back->setHelp(L("返回歌曲列表"));
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(22, 0, 22, 0);
    layout->addWidget(m_back);
    layout->addStretch();
    return header;
}

QScrollArea *NowPlayingLyricsView::buildLeftColumn()
{
    m_cover = new CoverButton(coverSide, coverCornerRadius);
    m_cover->setHelp(L("返回歌曲列表"), L("专辑封面，点击返回歌曲列表"));
    m_title = titleLabel(Fonts::system(20, QFont::DemiBold));
    m_subtitle = titleLabel(Fonts::system(11.5));
    m_badge = new LyricsOriginBadge;
    m_import = actionButton(L("导入歌词…"), LyricsPageSymbols::Symbol::squareArrowDown, L("选择 .lrc 或 .txt 文件"), true);
    m_retry = actionButton(L("重试匹配"), LyricsPageSymbols::Symbol::arrowClockwise, L("重新查找同名歌词或在线匹配"), false);
    m_restore = actionButton(L("恢复自动匹配"), LyricsPageSymbols::Symbol::arrowUturnBackward,
        L("删除手动导入的歌词，恢复自动匹配"), false);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(m_title);
    titles->addWidget(m_subtitle);

    auto *actions = new QVBoxLayout;
    actions->setContentsMargins(0, 2, 0, 0);
    actions->setSpacing(6);
    actions->addWidget(m_import);
    actions->addWidget(m_retry);
    actions->addWidget(m_restore);

    auto *content = new QWidget;
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 4);
    stack->setSpacing(9);
    stack->addWidget(m_cover, 0, Qt::AlignHCenter);
    stack->addLayout(titles);
    stack->addWidget(m_badge, 0, Qt::AlignHCenter);
    stack->addLayout(actions);
    stack->addStretch();

    auto *column = new QScrollArea(this);
    column->setObjectName(QStringLiteral("lyricsPageLeftColumn"));
    column->setFrameShape(QFrame::NoFrame);
    column->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column->setWidgetResizable(true);
    column->setMinimumSize(0, 0);
    column->setWidget(content);
    // The backdrop shows through; the scroll area fills its viewport and content otherwise.
    column->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return column;
}

QString NowPlayingLyricsView::subtitle(const std::optional<Track> &track)
{
    if (!track)
        return L("选择一首歌曲");
    QStringList parts;
    for (const QString &part : { track->artist, track->album }) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.isEmpty() ? QStringLiteral(" ") : parts.join(QStringLiteral(" \u00B7 "));
}

std::optional<QString> NowPlayingLyricsView::originLabel(LyricsOrigin origin)
{
    switch (origin) {
    case LyricsOrigin::Override:
        return L("覆盖歌词");
    case LyricsOrigin::Sidecar:
        return L("本地歌词");
    case LyricsOrigin::Online:
        return L("在线歌词");
    case LyricsOrigin::None:
        return std::nullopt;
    }
    return std::nullopt;
}

QString NowPlayingLyricsView::titleText() const
{
    return m_title->text();
}

QString NowPlayingLyricsView::subtitleText() const
{
    return m_subtitle->text();
}

QWidget *NowPlayingLyricsView::leftColumn() const
{
    return m_left;
}

QWidget *NowPlayingLyricsView::rightColumn() const
{
    return m_right;
}

bool NowPlayingLyricsView::showsLyricsList() const
{
    return m_right->currentWidget() == m_list;
}

void NowPlayingLyricsView::followTrack()
{
    const std::optional<Track> &track = m_model.currentTrack();
    const std::optional<FileLocation> artwork = track ? m_model.library().artworkURL(*track) : std::nullopt;
    m_backdrop->setCover(artwork);
    m_cover->cover()->setUrl(artwork);
    m_title->setText(track ? track->title : L("未在播放"));
    m_subtitle->setText(subtitle(track));
    // Searching is only possible with a track.
    followLyrics();

    const std::optional<QUuid> id = track ? std::optional(track->id) : std::nullopt;
    if (id != m_trackID) {
        m_trackID = id;
        m_list->scrollToCurrent(false);
    }
}

void NowPlayingLyricsView::followLyrics()
{
    const LyricsDisplayState &state = m_model.lyricsState();
    const bool hasTrack = m_model.currentTrack().has_value();

    const std::optional<QString> label = originLabel(state.origin);
    m_badge->setVisible(label.has_value());
    if (label)
        m_badge->setLabel(*label);

    m_import->setTitle(state.lyrics ? L("更换歌词…") : L("导入歌词…"));
    m_import->setEnabled(hasTrack);
    m_retry->setEnabled(hasTrack && !state.isResolving);
    m_restore->setVisible(m_model.hasLyricsOverride());

    const bool hasLines = state.lyrics && !state.lyrics->lines.isEmpty();
    if (hasLines)
        m_list->setLyrics(*state.lyrics);
    m_empty->setResolving(state.isResolving);
    m_empty->setButtonsEnabled(hasTrack && !state.isResolving, hasTrack);
    m_right->setCurrentWidget(hasLines ? static_cast<QWidget *>(m_list) : m_empty);
}

void NowPlayingLyricsView::followLine()
{
    m_list->setCurrentLineIndex(m_model.currentLyricLineIndex());
    m_list->scrollToCurrent(true);
}

void NowPlayingLyricsView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int columnsHeight = std::max(0, height() - headerHeight - bottomInset);
    const int columnsWidth = std::max(0, w - 2 * pageInset);
    m_backdrop->setGeometry(rect());
    m_header->setGeometry(0, 0, w, headerHeight);
    m_left->setGeometry(pageInset, headerHeight, std::min(leftColumnWidth, columnsWidth), columnsHeight);
    const int rightX = pageInset + leftColumnWidth + columnSpacing;
    m_right->setGeometry(rightX, headerHeight, std::max(0, w - pageInset - rightX), columnsHeight);
}

void NowPlayingLyricsView::applyTheme(const ThemePalette &theme)
{
    m_appliedTheme = theme;
    setTextColor(m_title, theme.accent);
    setTextColor(m_subtitle, ThemePalette::withOpacity(theme.accent, theme.tokens.isDark ? 0.6 : 0.72));
}

void NowPlayingLyricsView::paintEvent(QPaintEvent *)
{
    // The labels' colours follow the palette; everything else reads it when it paints.
    const ThemePalette theme = ThemeEnvironment::theme(this);
    if (m_appliedTheme != theme)
        applyTheme(theme);
}

#include "LyricsOverlayView.h"

#include "LyricsOverlayToolbar.h"
#include "OverlayResizeGrip.h"

#include "Localization.h"
#include "Lyrics/LyricsFont.h"
#include "UI/AppModel.h"
#include "UI/Compositor.h"
#include "UI/Fonts.h"
#include "UI/MaterialBackdrop.h"
#include "UI/ThemeEnvironment.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

constexpr int sidePadding = 24;
constexpr int verticalPadding = 14;
// Room kept free for the toolbar while it shows.
constexpr int toolbarRoom = 46;
constexpr qreal statusSpacing = 7;
constexpr qreal gripOpacity = 0.55;

// The usual ease-out: a cubic Bezier through (0.58, 1).
QEasingCurve easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

} // namespace

// All lines of unsynchronised lyrics, each drawn once for the width and style of the moment.
class LyricsOverlayView::PlainText : public QWidget
{
public:
    explicit PlainText(QWidget *parent)
        : QWidget(parent)
    {
    }

    void show(const QStringList &lines, const LyricLineStyle &style, qreal spacing, int width)
    {
        const qreal ratio = devicePixelRatioF();
        if (lines == m_lines && style == m_style && width == m_width && ratio == m_ratio)
            return;
        m_lines = lines;
        m_style = style;
        m_width = width;
        m_ratio = ratio;
        m_pixmaps.clear();
        int height = 0;
        const int gap = std::max(0, int(std::lround(spacing)) - 2 * LyricLineRenderer::margin);
        for (const QString &line : lines) {
            QPixmap pixmap = LyricLineRenderer::draw(line.isEmpty() ? QStringLiteral(" ") : line, style, width, ratio);
            height += int(pixmap.deviceIndependentSize().height()) + (m_pixmaps.isEmpty() ? 0 : gap);
            m_pixmaps.append(pixmap);
        }
        m_gap = gap;
        setFixedSize(width, std::max(height, 1));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        qreal y = 0;
        for (const QPixmap &pixmap : m_pixmaps) {
            const QSizeF size = pixmap.deviceIndependentSize();
            painter.drawPixmap(QPointF((width() - size.width()) / 2, y), pixmap);
            y += size.height() + m_gap;
        }
    }

private:
    QStringList m_lines;
    LyricLineStyle m_style;
    int m_width = 0;
    qreal m_ratio = 0;
    int m_gap = 0;
    QList<QPixmap> m_pixmaps;
};

// A borderless text button of the status row.
class LyricsOverlayView::StatusButton : public QAbstractButton
{
public:
    StatusButton(const QString &title, const QString &help, QWidget *parent)
        : QAbstractButton(parent)
    {
        setText(title);
        setToolTip(help.toHtmlEscaped());
        setFocusPolicy(Qt::NoFocus);
        setFont(Fonts::system(11));
        setFixedSize(sizeHint());
    }

    QSize sizeHint() const override { return fontMetrics().size(0, text()) + QSize(4, 6); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(ThemePalette::withOpacity(ThemeEnvironment::theme(this).text, isEnabled() ? (isDown() ? 0.4 : 0.6) : 0.25));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

LyricsOverlayView::LyricsOverlayView(AppModel &model, std::function<void(int)> onResize, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_onResize(std::move(onResize))
    , m_opacity(model.settings().lyricsOpacity)
    , m_outline(model.settings().lyricsOutline)
    , m_lineMode(model.settings().lyricsLineMode)
    , m_seenSettings(model.settings())
{
    setObjectName(QStringLiteral("lyricsOverlayView"));
    setMouseTracking(true);

    m_plainText = new PlainText(this);
    m_scroller = new QScrollArea(this);
    m_scroller->setObjectName(QStringLiteral("plainLyrics"));
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroller->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroller->viewport()->setAutoFillBackground(false);
    m_scroller->setStyleSheet(QStringLiteral("background: transparent;"));
    m_scroller->setWidget(m_plainText);
    m_scroller->hide();

    m_statusButtons = new QWidget(this);
    auto *buttons = new QHBoxLayout(m_statusButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(10);
    m_import = new StatusButton(L("导入歌词…"), L("选择 .lrc 或 .txt 文件"), m_statusButtons);
    m_import->setObjectName(QStringLiteral("importLyricsButton"));
    connect(m_import, &QAbstractButton::clicked, &m_model, &AppModel::promptImportLyrics);
    m_retry = new StatusButton(L("重试匹配"), L("重新查找同名歌词或在线匹配"), m_statusButtons);
    m_retry->setObjectName(QStringLiteral("retryLyricsButton"));
    connect(m_retry, &QAbstractButton::clicked, &m_model, &AppModel::retryLyrics);
    buttons->addWidget(m_import);
    buttons->addWidget(m_retry);
    m_statusButtons->setFixedSize(m_statusButtons->sizeHint());

    m_toolbar = new LyricsOverlayToolbar(model, this);
    connect(m_toolbar, &LyricsOverlayToolbar::resizeRequested, this, [this](int delta) {
        if (m_onResize)
            m_onResize(delta);
    });
    connect(m_toolbar, &LyricsOverlayToolbar::opacityPreviewed, this, [this](double opacity) {
        m_opacity = opacity;
        update();
    });
    connect(m_toolbar, &LyricsOverlayToolbar::lineModeToggled, this, [this] {
        m_lineMode = m_lineMode == QLatin1String("two") ? QStringLiteral("one") : QStringLiteral("two");
        refresh();
        m_model.changeStoredSetting([mode = m_lineMode](AppSettings &settings) { settings.lyricsLineMode = mode; });
    });
    connect(m_toolbar, &LyricsOverlayToolbar::outlineToggled, this, [this] {
        m_outline = !m_outline;
        refresh();
        m_model.changeStoredSetting([outline = m_outline](AppSettings &settings) { settings.lyricsOutline = outline; });
    });
    m_grip = new OverlayResizeGrip(this);

    // The toolbar fades on its own, a little quicker than the backdrop and the grip. Hidden, they
    // take no clicks.
    m_toolbarOpacity = new QGraphicsOpacityEffect(m_toolbar);
    m_toolbarOpacity->setOpacity(0);
    m_toolbar->setGraphicsEffect(m_toolbarOpacity);
    m_toolbarFade = new QPropertyAnimation(m_toolbarOpacity, "opacity", this);
    m_toolbarFade->setDuration(toolbarFadeMs);
    m_toolbarFade->setEasingCurve(easeOut());
    connect(m_toolbarFade, &QAbstractAnimation::finished, this, [this] {
        if (!m_chromeShown)
            m_toolbar->hide();
    });
    m_chromeFade.setDuration(chromeFadeMs);
    m_chromeFade.setEasingCurve(easeOut());
    connect(&m_chromeFade, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { setChromeOpacity(value.toReal()); });
    connect(&m_chromeFade, &QAbstractAnimation::finished, this, [this] {
        if (!m_chromeShown)
            m_grip->hide();
    });
    m_toolbar->hide();
    m_grip->hide();

    connect(&m_model, &AppModel::settingsChanged, this, &LyricsOverlayView::followSettings);
    connect(&m_model, &AppModel::isLyricsLockedChanged, this, &LyricsOverlayView::refresh);
    connect(&m_model, &AppModel::lyricsStateChanged, this, &LyricsOverlayView::refresh);
    connect(&m_model, &AppModel::currentLyricLineIndexChanged, this, [this] { update(); });
    connect(&m_model, &AppModel::currentTrackChanged, this, &LyricsOverlayView::refresh);
    refresh();
}

LyricsOverlayView::~LyricsOverlayView() = default;

// Each copy follows its own setting whenever that setting changes, wherever the change came from.
void LyricsOverlayView::followSettings(const AppSettings &settings)
{
    if (settings.lyricsOpacity != m_seenSettings.lyricsOpacity)
        m_opacity = settings.lyricsOpacity;
    if (settings.lyricsOutline != m_seenSettings.lyricsOutline)
        m_outline = settings.lyricsOutline;
    if (settings.lyricsLineMode != m_seenSettings.lyricsLineMode)
        m_lineMode = settings.lyricsLineMode;
    m_seenSettings = settings;
    refresh();
}

bool LyricsOverlayView::showsHoverChrome() const
{
    return m_isHovering && !m_model.isLyricsLocked();
}

qreal LyricsOverlayView::fontSize() const
{
    return LyricsFont::size(width());
}

bool LyricsOverlayView::showsStatus() const
{
    const std::optional<Lyrics> &lyrics = m_model.lyricsState().lyrics;
    return !lyrics || lyrics->lines.isEmpty();
}

bool LyricsOverlayView::showsPlainText() const
{
    return !showsStatus() && !m_model.lyricsState().lyrics->isSynced;
}

QStringList LyricsOverlayView::shownLines() const
{
    QStringList texts;
    for (const Line &line : syncedLines())
        texts.append(line.text);
    return texts;
}

LyricLineStyle LyricsOverlayView::lineStyle(qreal size, QFont::Weight weight, qreal emphasis, int maxLines) const
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const bool dark = palette.tokens.isDark;
    LyricLineStyle style;
    style.pixelSize = size;
    style.weight = weight;
    style.emphasis = emphasis;
    style.maxLines = maxLines;
    style.fill = dark ? palette.accentLight : palette.accent;
    style.outline = m_outline;
    style.stroke = dark ? QColor(0, 0, 0, 158) : QColor(255, 255, 255, 158);
    return style;
}

LyricLineStyle LyricsOverlayView::currentLineStyle() const
{
    return lineStyle(fontSize(), QFont::DemiBold, 1.0, 2);
}

LyricLineStyle LyricsOverlayView::nextLineStyle() const
{
    return lineStyle(fontSize() * 0.55, QFont::Normal, 0.72, 1);
}

QList<LyricsOverlayView::Line> LyricsOverlayView::syncedLines() const
{
    if (showsStatus() || showsPlainText())
        return {};
    QList<Line> lines{{m_model.currentLyricText().value_or(QString()), currentLineStyle()}};
    const std::optional<QString> next = m_model.nextLyricText();
    if (m_lineMode == QLatin1String("two") && next && !next->isEmpty())
        lines.append({*next, nextLineStyle()});
    return lines;
}

// The lines that the next change of line will show, drawn ahead while the current ones show.
void LyricsOverlayView::prepareUpcomingLines(int width, qreal ratio)
{
    const QList<LyricLine> &lines = m_model.lyricsState().lyrics->lines;
    const qsizetype upcoming = m_model.currentLyricLineIndex().value_or(0) + 1;
    if (upcoming < 0 || upcoming >= lines.size())
        return;
    m_renderer.prepare(lines.at(upcoming).text, currentLineStyle(), width, ratio);
    if (m_lineMode == QLatin1String("two") && upcoming + 1 < lines.size())
        m_renderer.prepare(lines.at(upcoming + 1).text, nextLineStyle(), width, ratio);
}

QString LyricsOverlayView::statusText() const
{
    return m_model.lyricsState().isResolving ? L("正在匹配歌词…") : L("暂无歌词");
}

QRect LyricsOverlayView::lyricsArea() const
{
    // The lines make room for the toolbar as it fades in.
    const int bottom = verticalPadding + int(std::lround(toolbarRoom * m_chromeOpacity));
    return rect().adjusted(sidePadding, verticalPadding, -sidePadding, -bottom);
}

void LyricsOverlayView::setHovering(bool hovering)
{
    if (hovering == m_isHovering)
        return;
    m_isHovering = hovering;
    refresh();
}

// Fades the backdrop, the toolbar and the grip in or out. Locking takes the toolbar and the grip
// away at once; only the backdrop fades.
void LyricsOverlayView::showChrome(bool shown)
{
    if (shown == m_chromeShown)
        return;
    m_chromeShown = shown;
    for (QWidget *control : {static_cast<QWidget *>(m_toolbar), static_cast<QWidget *>(m_grip)}) {
        control->setAttribute(Qt::WA_TransparentForMouseEvents, !shown);
        if (shown)
            control->show();
        else if (m_model.isLyricsLocked())
            control->hide();
    }
    m_toolbarFade->stop();
    m_toolbarFade->setStartValue(m_toolbarOpacity->opacity());
    m_toolbarFade->setEndValue(shown ? 1.0 : 0.0);
    m_toolbarFade->start();
    m_chromeFade.stop();
    m_chromeFade.setStartValue(m_chromeOpacity);
    m_chromeFade.setEndValue(shown ? 1.0 : 0.0);
    m_chromeFade.start();
}

void LyricsOverlayView::setChromeOpacity(qreal opacity)
{
    m_chromeOpacity = opacity;
    m_grip->setOpacity(gripOpacity * opacity);
    layoutChildren();
    update();
    emit chromeOpacityChanged(opacity);
}

// Brings every child in line with the model and the display state, then repaints.
void LyricsOverlayView::refresh()
{
    showChrome(showsHoverChrome());
    if (m_chromeShown)
        m_toolbar->showState(m_opacity, m_outline, m_lineMode);

    const bool status = showsStatus();
    m_statusButtons->setVisible(status);
    const bool hasTrack = m_model.currentTrack().has_value();
    m_import->setEnabled(hasTrack);
    m_retry->setEnabled(hasTrack && !m_model.lyricsState().isResolving);

    m_scroller->setVisible(showsPlainText());
    // A locked overlay passes everything through, the wheel included.
    m_scroller->setAttribute(Qt::WA_TransparentForMouseEvents, m_model.isLyricsLocked());
    layoutChildren();
    update();
}

void LyricsOverlayView::layoutChildren()
{
    const QRect area = lyricsArea();
    const QSize toolbar = m_toolbar->size();
    m_toolbar->move((width() - toolbar.width()) / 2, height() - 8 - toolbar.height());
    m_grip->move(width() - 6 - m_grip->width(), height() - 6 - m_grip->height());

    const QFont statusFont = Fonts::system(std::max(fontSize() * 0.6, 13.0), QFont::Medium);
    const qreal statusHeight = QFontMetricsF(statusFont).height() + statusSpacing + m_statusButtons->height();
    const qreal top = area.center().y() + 0.5 - statusHeight / 2;
    m_statusButtons->move(area.center().x() + 1 - m_statusButtons->width() / 2,
        int(std::lround(top + statusHeight - m_statusButtons->height())));

    if (showsPlainText()) {
        m_scroller->setGeometry(area);
        QStringList texts;
        for (const LyricLine &line : m_model.lyricsState().lyrics->lines)
            texts.append(line.text);
        const qreal size = fontSize();
        m_plainText->show(texts, lineStyle(size * 0.7, QFont::Normal, 0.72, 1000), size * 0.25,
            std::max(area.width(), 1) + 2 * LyricLineRenderer::margin);
    }
}

void LyricsOverlayView::resizeEvent(QResizeEvent *)
{
    layoutChildren();
}

void LyricsOverlayView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBackdrop(painter);
    if (showsStatus())
        paintStatus(painter);
    else if (!showsPlainText())
        paintSyncedLines(painter);
}

// The tinted backdrop fades in on hover; without a compositor the window cannot be see-through,
// so it stays.
void LyricsOverlayView::paintBackdrop(QPainter &painter)
{
    const bool translucent = Compositor::canShowThrough(this);
    if (m_chromeOpacity <= 0 && translucent)
        return;
    painter.save();
    if (translucent)
        painter.setOpacity(m_chromeOpacity);
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    MaterialBackdrop::paintMaterial(painter, shape, MaterialBackdrop::Material::underWindowBackground, this);
    painter.fillPath(shape, ThemePalette::withOpacity(palette.playerTint, m_opacity));
    painter.setPen(QPen(palette.hairline, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    painter.restore();
}

void LyricsOverlayView::paintStatus(QPainter &painter)
{
    const QRect area = lyricsArea();
    const QFont font = Fonts::system(std::max(fontSize() * 0.6, 13.0), QFont::Medium);
    const qreal textHeight = QFontMetricsF(font).height();
    const qreal top = area.center().y() + 0.5 - (textHeight + statusSpacing + m_statusButtons->height()) / 2;
    painter.setFont(font);
    painter.setPen(ThemePalette::withOpacity(ThemeEnvironment::theme(this).text, 0.8));
    painter.drawText(QRectF(area.x(), top, area.width(), textHeight), Qt::AlignCenter, statusText());
}

void LyricsOverlayView::paintSyncedLines(QPainter &painter)
{
    const QRect area = lyricsArea();
    const qreal ratio = devicePixelRatioF();
    const int width = area.width() + 2 * LyricLineRenderer::margin;
    const qreal spacing = std::max(0.0, fontSize() * 0.3 - 2 * LyricLineRenderer::margin);
    QList<QPixmap> pixmaps;
    qreal height = 0;
    for (const Line &line : syncedLines()) {
        const QPixmap pixmap = m_renderer.line(line.text, line.style, width, ratio);
        if (pixmap.isNull())
            continue;
        height += pixmap.deviceIndependentSize().height() + (pixmaps.isEmpty() ? 0 : spacing);
        pixmaps.append(pixmap);
    }
    qreal y = area.y() + (area.height() - height) / 2;
    for (const QPixmap &pixmap : pixmaps) {
        const QSizeF size = pixmap.deviceIndependentSize();
        painter.drawPixmap(QPointF(area.x() + (area.width() - size.width()) / 2, y), pixmap);
        y += size.height() + spacing;
    }
    prepareUpcomingLines(width, ratio);
}

void LyricsOverlayView::enterEvent(QEnterEvent *)
{
    setHovering(true);
}

void LyricsOverlayView::leaveEvent(QEvent *)
{
    setHovering(false);
}

// A drag anywhere on the background moves the window: through the window manager where it can,
// by hand otherwise.
void LyricsOverlayView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    QWindow *handle = window()->windowHandle();
    if (handle && handle->startSystemMove())
        m_dragOffset.reset();
    else
        m_dragOffset = event->globalPosition().toPoint() - window()->pos();
    event->accept();
}

void LyricsOverlayView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragOffset && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - *m_dragOffset);
}

void LyricsOverlayView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragOffset.reset();
}

QMenu *LyricsOverlayView::lyricsMenu()
{
    delete m_menu;
    m_menu = new QMenu(this);
    const bool hasTrack = m_model.currentTrack().has_value();
    QAction *replace = m_menu->addAction(L("更换歌词…"), &m_model, &AppModel::promptImportLyrics);
    replace->setEnabled(hasTrack);
    QAction *restore = m_menu->addAction(L("恢复自动匹配"), &m_model, &AppModel::restoreAutomaticLyrics);
    restore->setEnabled(m_model.hasLyricsOverride());
    QAction *retry = m_menu->addAction(L("重试匹配"), &m_model, &AppModel::retryLyrics);
    retry->setEnabled(hasTrack && !m_model.lyricsState().isResolving);
    return m_menu;
}

void LyricsOverlayView::contextMenuEvent(QContextMenuEvent *event)
{
    lyricsMenu()->popup(event->globalPos());
}

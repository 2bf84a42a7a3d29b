#pragma once

#include "LyricLineRenderer.h"

#include "Settings/AppSettings.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>
#include <optional>

class AppModel;
class LyricsOverlayToolbar;
class OverlayResizeGrip;
class QGraphicsOpacityEffect;
class QMenu;
class QPropertyAnimation;
class QScrollArea;

// The content of the desktop lyrics window: the current lyric line (and in two-line mode the
// next one) in large type, the whole text of unsynchronised lyrics, or a short status with import
// and retry. Over an unlocked overlay the pointer brings in a tinted backdrop, the toolbar and the
// resize grip, fading in and out; a locked overlay shows only the lyrics. Each line is drawn once into a pixmap, so
// following playback repaints by copying pixels.
class LyricsOverlayView : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 16;
    // How long the backdrop and the grip, and the toolbar, take to fade in or out.
    static constexpr int chromeFadeMs = 180;
    static constexpr int toolbarFadeMs = 150;

    // `onResize` widens the window by the given width (the toolbar's narrower and wider buttons).
    LyricsOverlayView(AppModel &model, std::function<void(int)> onResize, QWidget *parent = nullptr);
    ~LyricsOverlayView() override;

    // The display state, read from the settings when built and following their changes.
    double opacity() const { return m_opacity; }
    bool outline() const { return m_outline; }
    const QString &lineMode() const { return m_lineMode; }

    bool isHovering() const { return m_isHovering; }
    // Hover and unlocked.
    bool showsHoverChrome() const;
    // How far the backdrop has faded in, from 0 to 1; without a compositor it never leaves.
    qreal chromeOpacity() const { return m_chromeOpacity; }
    // Of the current line; the other sizes follow from it.
    qreal fontSize() const;
    // The synchronised lines shown, current first; empty while the status or the plain text shows.
    QStringList shownLines() const;
    bool showsStatus() const;
    bool showsPlainText() const;
    LyricsOverlayToolbar *toolbar() const { return m_toolbar; }
    OverlayResizeGrip *resizeGrip() const { return m_grip; }
    // The right-click menu, built for the state of the moment.
    QMenu *lyricsMenu();

signals:
    void chromeOpacityChanged(qreal opacity);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    class PlainText;
    class StatusButton;
    struct Line
    {
        QString text;
        LyricLineStyle style;
    };

    void followSettings(const AppSettings &settings);
    void setHovering(bool hovering);
    void refresh();
    void showChrome(bool shown);
    void setChromeOpacity(qreal opacity);
    void layoutChildren();
    QRect lyricsArea() const;
    QList<Line> syncedLines() const;
    LyricLineStyle lineStyle(qreal size, QFont::Weight weight, qreal emphasis, int maxLines) const;
    LyricLineStyle currentLineStyle() const;
    LyricLineStyle nextLineStyle() const;
    void prepareUpcomingLines(int width, qreal ratio);
    void paintBackdrop(QPainter &painter);
    void paintStatus(QPainter &painter);
    void paintSyncedLines(QPainter &painter);
    QString statusText() const;

    AppModel &m_model;
    std::function<void(int)> m_onResize;
    bool m_isHovering = false;
    double m_opacity;
    bool m_outline;
    QString m_lineMode;
    AppSettings m_seenSettings;
    LyricLineRenderer m_renderer;
    LyricsOverlayToolbar *m_toolbar;
    OverlayResizeGrip *m_grip;
    QWidget *m_statusButtons;
    StatusButton *m_import;
    StatusButton *m_retry;
    QScrollArea *m_scroller;
    PlainText *m_plainText;
    // Where a drag of the background grabbed the window, when the window manager cannot move it.
    std::optional<QPoint> m_dragOffset;
    QPointer<QMenu> m_menu;
    bool m_chromeShown = false;
    qreal m_chromeOpacity = 0;
    QVariantAnimation m_chromeFade;
    QGraphicsOpacityEffect *m_toolbarOpacity;
    QPropertyAnimation *m_toolbarFade;
};

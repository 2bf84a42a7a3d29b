#pragma once

#include "Lyrics/LyricsOrigin.h"
#include "Models/Track.h"
#include "UI/ThemePalette.h"

#include <QUuid>
#include <QWidget>

#include <optional>

class AppModel;
class CoverButton;
class LyricsEmptyState;
class LyricsListView;
class LyricsOriginBadge;
class LyricsPageBackdrop;
class LyricsPageButton;
class QLabel;
class QScrollArea;
class QStackedWidget;

// The main window's full-page lyrics of the current track, shown in place of the track list: over
// a backdrop made from the cover, a back button, and two columns: the cover, title, subtitle, the
// lyrics' origin and the lyrics commands on the left; the lines (or, without any, an empty state)
// on the right. Everything shown follows the model; every button is one model command.
class NowPlayingLyricsView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int headerHeight = 42;
    static constexpr int leftColumnWidth = 250;
    static constexpr int columnSpacing = 30;
    static constexpr int pageInset = 28;
    static constexpr int bottomInset = 12;

    explicit NowPlayingLyricsView(AppModel &model, QWidget *parent = nullptr);

    // "选择一首歌曲" without a track; else artist and album, the empty ones left out, joined by
    // " · "; a single space when both are empty.
    static QString subtitle(const std::optional<Track> &track);
    // The badge's word, none for lyrics of no origin.
    static std::optional<QString> originLabel(LyricsOrigin origin);

    QString titleText() const;
    QString subtitleText() const;
    // Hidden while the lyrics have no origin.
    LyricsOriginBadge *originBadge() const { return m_badge; }
    LyricsPageButton *backButton() const { return m_back; }
    CoverButton *coverButton() const { return m_cover; }
    LyricsPageButton *importButton() const { return m_import; }
    LyricsPageButton *retryButton() const { return m_retry; }
    // Present only while the lyrics are an imported override.
    LyricsPageButton *restoreButton() const { return m_restore; }
    LyricsListView *lyricsList() const { return m_list; }
    LyricsEmptyState *emptyState() const { return m_empty; }
    LyricsPageBackdrop *backdrop() const { return m_backdrop; }
    QWidget *header() const { return m_header; }
    QWidget *leftColumn() const;
    QWidget *rightColumn() const;
    // Whether the right column shows the lines rather than the empty state.
    bool showsLyricsList() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *buildHeader();
    QScrollArea *buildLeftColumn();
    void followTrack();
    void followLyrics();
    void followLine();
    void applyTheme(const ThemePalette &theme);

    AppModel &m_model;
    LyricsPageBackdrop *m_backdrop;
    QWidget *m_header = nullptr;
    LyricsPageButton *m_back = nullptr;
    QScrollArea *m_left = nullptr;
    CoverButton *m_cover = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    LyricsOriginBadge *m_badge = nullptr;
    LyricsPageButton *m_import = nullptr;
    LyricsPageButton *m_retry = nullptr;
    LyricsPageButton *m_restore = nullptr;
    QStackedWidget *m_right;
    LyricsListView *m_list;
    LyricsEmptyState *m_empty;
    std::optional<QUuid> m_trackID;
    std::optional<ThemePalette> m_appliedTheme;
};

#pragma once

#include "UI/ThemePalette.h"

#include <QDialog>

class AppModel;
class AppearanceCard;
class CacheCard;
class FileStatusCard;
class LyricsSettingsCard;
class QPushButton;
class QScrollArea;
class TagHistoryCard;

// The settings sheet over the main window: the title and "完成" above a scrolling column of the
// five cards. It is not modal: a click in the main window closes it and still does what it does
// there, while clicks in tool windows, dialogs (the colour dialog) and menus leave it open. A click
// inside the sheet that does not land in a text field ends the editing of the focused one. Each
// showing measures the transcoding cache in the background and starts with nothing focused;
// closing applies the endpoint field.
class SettingsSheet : public QDialog
{
    Q_OBJECT

public:
    static constexpr QSize sheetSize{580, 560};
    // After this long the sheet takes the focus from whatever control got it when it opened.
    static constexpr int initialFocusDelay = 150;

    SettingsSheet(AppModel &model, QWidget *window);

    TagHistoryCard *tagHistoryCard() const { return m_tagHistory; }
    FileStatusCard *fileStatusCard() const { return m_fileStatus; }
    CacheCard *cacheCard() const { return m_cache; }
    LyricsSettingsCard *lyricsCard() const { return m_lyrics; }
    AppearanceCard *appearanceCard() const { return m_appearance; }
    QPushButton *doneButton() const { return m_done; }
    QScrollArea *scrollArea() const { return m_scroll; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The standard controls take their colours from the theme palette.
    void followTheme();
    void releaseFocusUnlessEditing(QWidget *clicked);
    bool closesOnClickIn(const QWidget *window) const;

    AppModel &m_model;
    QPushButton *m_done;
    QScrollArea *m_scroll;
    TagHistoryCard *m_tagHistory;
    FileStatusCard *m_fileStatus;
    CacheCard *m_cache;
    LyricsSettingsCard *m_lyrics;
    AppearanceCard *m_appearance;
    std::optional<ThemePalette> m_followedTheme;
    bool m_watchingClicks = false;
};

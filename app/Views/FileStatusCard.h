#pragma once

#include "MissingTrackList.h"
#include "SettingsCard.h"

class AppModel;
class QPushButton;
class ThemedLabel;

// The file-status card: tracks whose file is missing (relocate, show in the file manager, remove
// one or all) and the files the scans could not read (the first three, then a count). It hides
// itself while it has nothing to show and no result of its own.
class FileStatusCard : public SettingsCard
{
    Q_OBJECT

public:
    static constexpr qsizetype listedUnreadableFiles = 3;

    explicit FileStatusCard(AppModel &model, QWidget *parent = nullptr);

    MissingTrackList *missingList() const { return m_missingList; }
    QPushButton *removeAllButton() const { return m_removeAll; }
    // The unreadable file names shown, then the "另有 %d 个…" line when there is one.
    QStringList unreadableLines() const;

    void refresh();

private:
    void act(const Track &track, MissingTrackList::Action action);
    void relocate(const Track &track);

    AppModel &m_model;
    QWidget *m_missingBlock;
    ThemedLabel *m_missingCount;
    QPushButton *m_removeAll;
    MissingTrackList *m_missingList;
    QWidget *m_unreadableBlock;
    ThemedLabel *m_unreadableCount;
    QList<ThemedLabel *> m_unreadableNames;
    ThemedLabel *m_unreadableMore;
};

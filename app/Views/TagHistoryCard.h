#pragma once

#include "SettingsCard.h"

#include <QFutureWatcher>

class AppModel;
class QPushButton;
class ThemedLabel;

// The tag-edit history card: undo the last saved tag edit or, after asking, clear the history.
// Both are refused while a file job runs.
class TagHistoryCard : public SettingsCard
{
    Q_OBJECT

public:
    explicit TagHistoryCard(AppModel &model, QWidget *parent = nullptr);

    QPushButton *undoButton() const { return m_undo; }
    QPushButton *clearButton() const { return m_clear; }
    ThemedLabel *countLabel() const { return m_count; }

private:
    void refresh();
    void clearHistory();

    AppModel &m_model;
    QPushButton *m_undo;
    QPushButton *m_clear;
    ThemedLabel *m_count;
    QFutureWatcher<QString> m_undoResult;
};

#pragma once

#include "TrackListTexts.h"

#include <QWidget>

class QLabel;
class TextButton;

// What the track list shows when nothing is visible: a symbol, a title, a hint and the one
// action that fits the situation (clear the search, show all music, choose a folder).
class EmptyStateView : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyStateView(QWidget *parent = nullptr);

    TrackListTexts::EmptySituation situation() const { return m_situation; }
    void setSituation(TrackListTexts::EmptySituation situation);
    // The action is disabled while a scan runs.
    void setScanning(bool scanning);
    QString title() const;
    QString hint() const;
    TextButton *actionButton() const { return m_button; }

signals:
    void actionRequested(TrackListTexts::EmptySituation situation);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TrackListTexts::EmptySituation m_situation = TrackListTexts::EmptySituation::EmptyLibrary;
    QWidget *m_symbol;
    QLabel *m_title;
    QLabel *m_hint;
    TextButton *m_button = nullptr;
};

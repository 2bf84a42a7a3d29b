#pragma once

#include <QWidget>

class LyricsPageButton;
class QLabel;

// What the lyrics page shows without lines: a symbol, whether a search is running, and the two
// ways to get lyrics (search again, import a file) as capsule buttons.
class LyricsEmptyState : public QWidget
{
    Q_OBJECT

public:
    explicit LyricsEmptyState(QWidget *parent = nullptr);

    // Searching changes the texts; the buttons' enabled states are the caller's.
    void setResolving(bool resolving);
    void setButtonsEnabled(bool retryEnabled, bool importEnabled);

    QString title() const;
    QString message() const;
    LyricsPageButton *retryButton() const { return m_retry; }
    LyricsPageButton *importButton() const { return m_import; }

signals:
    void retryRequested();
    void importRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_title;
    QLabel *m_message;
    LyricsPageButton *m_retry;
    LyricsPageButton *m_import;
};

#pragma once

#include <QWidget>

class ActivitySpinner;
class QLabel;
class SymbolButton;

// The track list's header: the selection's title, the meta line (count and total time), the
// scanning note while a scan runs, and the rescan button.
class TrackListHeader : public QWidget
{
    Q_OBJECT

public:
    explicit TrackListHeader(QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QString metaLine() const { return m_metaLine; }
    void setTexts(const QString &title, const QString &metaLine);
    // The rescan button is dimmed and disabled without folders and while scanning.
    void setScanState(bool isScanning, bool hasFolders);
    SymbolButton *rescanButton() const;
    QWidget *scanningNote() const { return m_scanningNote; }

signals:
    void rescanRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_metaLine;
    QWidget *m_scanningNote;
    ActivitySpinner *m_spinner;
    QLabel *m_scanningLabel;
    SymbolButton *m_activeRescan;
    SymbolButton *m_dimmedRescan;
};

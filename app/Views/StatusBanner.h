#pragma once

#include <QWidget>

class ClampedText;
class QLabel;
class SymbolButton;
class TextButton;

// The model's status or error message in a warning-tinted box, with a close button; while the
// FFmpeg prompt is up, a row of its three actions under the message.
class StatusBanner : public QWidget
{
    Q_OBJECT

public:
    explicit StatusBanner(QWidget *parent = nullptr);

    void setMessage(const QString &message);
    void setShowsFFmpegPrompt(bool shows);
    ClampedText *message() const { return m_message; }
    QWidget *ffmpegRow() const { return m_ffmpegRow; }

signals:
    void dismissRequested();
    void copyFFmpegCommandRequested();
    void redetectFFmpegRequested();
    void chooseFFmpegRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ClampedText *m_message;
    SymbolButton *m_closeButton;
    QWidget *m_ffmpegRow;
    QLabel *m_note;
    QWidget *m_box;
};

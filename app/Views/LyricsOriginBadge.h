#pragma once

#include <QWidget>

// The capsule naming where the shown lyrics came from, with the waveform symbol. The label is
// plain text.
class LyricsOriginBadge : public QWidget
{
    Q_OBJECT

public:
    explicit LyricsOriginBadge(QWidget *parent = nullptr);

    void setLabel(const QString &label);
    const QString &label() const { return m_label; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_label;
};

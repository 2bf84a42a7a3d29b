#pragma once

#include <QWidget>

// The two text lines of the mini player, each kept to one line and cut at its end with an
// ellipsis: the title in the text colour, the subtitle dimmed beneath it. Plain text only.
class MiniTitleBlock : public QWidget
{
    Q_OBJECT

public:
    explicit MiniTitleBlock(int width, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }
    void setTexts(const QString &title, const QString &subtitle);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_subtitle;
};

#pragma once

#include <QWidget>

// A faint note under an empty sidebar section ("尚未导入文件夹", "暂无播放列表"). Not a button.
class SidebarEmptyRow : public QWidget
{
    Q_OBJECT

public:
    explicit SidebarEmptyRow(const QString &message, QWidget *parent = nullptr);

    QString message() const { return m_message; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_message;
};

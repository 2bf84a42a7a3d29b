#pragma once

#include <QWidget>

class ActivitySpinner;
class QLabel;

// The strip under the column titles while a file job runs: a spinner and the job's progress
// text, across the list's whole width.
class ProgressBanner : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressBanner(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ActivitySpinner *m_spinner;
    QLabel *m_label;
};

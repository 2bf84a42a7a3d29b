#pragma once

#include <QWidget>

// A path on one line in a rounded field, shortened in the middle when it is too long; the whole
// path is its hover help.
class ElidedPathField : public QWidget
{
    Q_OBJECT

public:
    explicit ElidedPathField(QWidget *parent = nullptr);

    void setPath(const QString &path);
    const QString &path() const { return m_path; }
    // What fits in the current width.
    QString shownText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
};

#pragma once

#include <QAbstractButton>

// A capsule text button of the desktop lyrics' toolbar, highlighted with the accent while on.
class OverlayTextButton : public QAbstractButton
{
    Q_OBJECT

public:
    OverlayTextButton(const QString &help, QWidget *parent = nullptr);

    bool isOn() const { return m_isOn; }
    void setOn(bool on);
    void setTitle(const QString &title);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_isOn = false;
};

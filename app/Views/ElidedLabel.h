#pragma once

#include <QLabel>

// A one-line plain-text label that ends in "…" when its text is wider than the label. It asks
// for no width of its own, so long texts never widen a layout.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

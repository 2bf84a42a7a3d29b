#pragma once

#include <QWidget>

// A one-pixel line in the palette's hairline colour across the width it is given.
class HairlineDivider : public QWidget
{
    Q_OBJECT

public:
    explicit HairlineDivider(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

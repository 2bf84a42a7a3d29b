#pragma once

#include <QAbstractButton>
#include <QImage>

// A round 22 px toolbar button of the desktop lyrics: a template symbol in the palette's text
// colour on the raised fill. The help text is its tooltip and accessible name.
class OverlayControlButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int side = 22;

    OverlayControlButton(const QImage &symbol, const QString &help, QWidget *parent = nullptr);

    void setSymbol(const QImage &symbol, const QString &help);
    QSize sizeHint() const override { return QSize(side, side); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_symbol;
};

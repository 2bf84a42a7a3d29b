#pragma once

#include <QAbstractButton>
#include <QImage>

// A borderless button that shows a template symbol tinted with the palette's text colour at a
// fixed opacity; its whole square takes clicks. The tooltip doubles as the accessible name.
class SymbolButton : public QAbstractButton
{
    Q_OBJECT

public:
    SymbolButton(const QImage &symbol, qreal textOpacity, int side, const QString &help,
        QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_symbol;
    qreal m_textOpacity;
    int m_side;
};

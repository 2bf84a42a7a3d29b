#pragma once

#include <QWidget>

// Plain text wrapped over at most a given number of lines; what does not fit ends the last line
// with an ellipsis.
class ClampedText : public QWidget
{
    Q_OBJECT

public:
    ClampedText(int maximumLines, const QFont &font, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    void setColor(const QColor &color);
    // The lines as shown at the widget's width.
    QStringList shownLines() const { return lines(m_text, font(), width(), m_maximumLines); }

    static QStringList lines(const QString &text, const QFont &font, int width, int maximumLines);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_color;
    int m_maximumLines;
};

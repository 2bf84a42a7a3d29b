#pragma once

#include "UI/ThemePalette.h"

#include <QWidget>

class QLabel;

// Why the chosen files cannot take some tags: a warning triangle and the text on a faint
// warning-coloured card across the form's width.
class TagLimitationNote : public QWidget
{
    Q_OBJECT

public:
    explicit TagLimitationNote(const QString &limitation, QWidget *parent = nullptr);

    QString text() const;
    void applyTheme(const ThemePalette &theme);

    // The filled warning triangle with its exclamation mark cut out, for a square of `side`
    // logical pixels, as a template image.
    static QImage warningTriangle(qreal side, qreal devicePixelRatio);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_icon;
    QLabel *m_text;
    QColor m_fill;
};

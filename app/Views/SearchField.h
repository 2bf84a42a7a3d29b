#pragma once

#include <QWidget>

class QLineEdit;

// The top bar's search field: a magnifying glass and a frameless text field on a rounded,
// raised fill with a hairline border. No clear button.
class SearchField : public QWidget
{
    Q_OBJECT

public:
    explicit SearchField(QWidget *parent = nullptr);

    QLineEdit *lineEdit() const { return m_lineEdit; }
    // Text colours follow the palette; the painted parts read it themselves.
    void applyTheme();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLineEdit *m_lineEdit;
};

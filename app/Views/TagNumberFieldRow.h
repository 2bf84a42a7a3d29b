#pragma once

#include "UI/ThemePalette.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// A short field for the year or the track number with its label. It takes any text: the sheet
// checks the number when it saves.
class TagNumberFieldRow : public QWidget
{
    Q_OBJECT

public:
    // Both texts already looked up.
    TagNumberFieldRow(const QString &label, const QString &placeholder, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void setRowDisabled(bool disabled);
    void applyTheme(const ThemePalette &theme);

private:
    bool m_disabled = false;
    ThemePalette m_theme;
    QLabel *m_label;
    QLineEdit *m_field;
};

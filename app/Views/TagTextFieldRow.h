#pragma once

#include "UI/ThemePalette.h"

#include <QWidget>

#include <optional>

class ElidedLabel;
class QLabel;
class QLineEdit;
class QPushButton;

// One text field of the tag editor with its label, and "修复乱码": a text whose Chinese was
// decoded through the wrong code page is repaired into a preview under the field, which the user
// applies or cancels. The row only edits its text; checking and writing belong to the sheet.
class TagTextFieldRow : public QWidget
{
    Q_OBJECT

public:
    // Both texts already looked up.
    TagTextFieldRow(const QString &label, const QString &placeholder, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // The format cannot store this field: field and repair button disabled, the label faded.
    void setRowDisabled(bool disabled);

    // The repaired text waiting for the user's decision, and the note shown when nothing was
    // found; at most one of them shows, the preview first.
    const std::optional<QString> &preview() const { return m_preview; }
    const std::optional<QString> &message() const { return m_message; }

    void repair();
    // The previewed text replaces the field's, also when the field was edited since the repair.
    void applyPreview();
    void cancelPreview();

    void applyTheme(const ThemePalette &theme);

    // The label column shared with the number rows: 72 wide, the text at its trailing edge.
    static QLabel *makeLabel(const QString &text, QWidget *parent);
    static void colourLabel(QLabel *label, const ThemePalette &theme, bool disabled);
    static constexpr int labelWidth = 72;
    static constexpr int spacing = 8;

private:
    void refresh();

    std::optional<QString> m_preview;
    std::optional<QString> m_message;
    bool m_disabled = false;
    ThemePalette m_theme;

    QLabel *m_label;
    QLineEdit *m_field;
    QPushButton *m_repairButton;
    QWidget *m_previewLine;
    ElidedLabel *m_previewText;
    QLabel *m_messageText;
};

#include "TagNumberFieldRow.h"

#include "TagTextFieldRow.h"
#include "UI/Fonts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int fieldWidth = 120;

} // namespace

TagNumberFieldRow::TagNumberFieldRow(const QString &label, const QString &placeholder, QWidget *parent)
    : QWidget(parent)
    , m_label(TagTextFieldRow::makeLabel(label, this))
    , m_field(new QLineEdit(this))
{
    m_field->setObjectName(QStringLiteral("field"));
    m_field->setPlaceholderText(placeholder);
    m_field->setFont(Fonts::system(12));
    m_field->setFixedWidth(fieldWidth);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(TagTextFieldRow::spacing);
    layout->addWidget(m_label);
    layout->addWidget(m_field);
    layout->addStretch(1);
}

QString TagNumberFieldRow::text() const
{
    return m_field->text();
}

void TagNumberFieldRow::setText(const QString &text)
{
    m_field->setText(text);
}

void TagNumberFieldRow::setRowDisabled(bool disabled)
{
    m_disabled = disabled;
    m_field->setEnabled(!disabled);
    TagTextFieldRow::colourLabel(m_label, m_theme, disabled);
}

void TagNumberFieldRow::applyTheme(const ThemePalette &theme)
{
    m_theme = theme;
    TagTextFieldRow::colourLabel(m_label, theme, m_disabled);
}

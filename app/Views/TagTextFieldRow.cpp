#include "TagTextFieldRow.h"

#include "ElidedLabel.h"
#include "SheetStyle.h"
#include "UI/Fonts.h"

#include "Localization.h"
#include "Tags/MojibakeRepair.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Lines under the field start where the field starts.
constexpr int indent = TagTextFieldRow::labelWidth + TagTextFieldRow::spacing;

QPushButton *plainButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TagTextFieldRow::TagTextFieldRow(const QString &label, const QString &placeholder, QWidget *parent)
    : QWidget(parent)
    , m_label(makeLabel(label, this))
    , m_field(new QLineEdit(this))
    , m_repairButton(plainButton(L("修复乱码"), QStringLiteral("repairButton"), this))
    , m_previewLine(new QWidget(this))
    , m_previewText(new ElidedLabel(m_previewLine))
    , m_messageText(new QLabel(this))
{
    m_field->setObjectName(QStringLiteral("field"));
    m_field->setPlaceholderText(placeholder);
    m_field->setFont(Fonts::system(12));
    m_repairButton->setToolTip(L("按 UTF-8 或 GB18030 还原被错误解码的中文"));
    m_previewText->setObjectName(QStringLiteral("previewText"));
    m_previewText->setFont(Fonts::system(11));
    m_messageText->setObjectName(QStringLiteral("message"));
    m_messageText->setTextFormat(Qt::PlainText);
    m_messageText->setFont(Fonts::system(10.5));

    auto *fieldLine = new QHBoxLayout;
    fieldLine->setSpacing(spacing);
    fieldLine->addWidget(m_label);
    fieldLine->addWidget(m_field, 1);
    fieldLine->addWidget(m_repairButton);

    auto *previewLayout = new QHBoxLayout(m_previewLine);
    previewLayout->setContentsMargins(indent, 0, 0, 0);
    previewLayout->setSpacing(spacing);
    previewLayout->addWidget(m_previewText, 1);
    auto *apply = plainButton(L("应用"), QStringLiteral("applyButton"), m_previewLine);
    auto *cancel = plainButton(L("取消"), QStringLiteral("cancelPreviewButton"), m_previewLine);
    previewLayout->addWidget(apply);
    previewLayout->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(fieldLine);
    layout->addWidget(m_previewLine);
    layout->addWidget(m_messageText);
    m_messageText->setContentsMargins(indent, 0, 0, 0);

    connect(m_field, &QLineEdit::textChanged, this, &TagTextFieldRow::refresh);
    connect(m_repairButton, &QPushButton::clicked, this, &TagTextFieldRow::repair);
    connect(apply, &QPushButton::clicked, this, &TagTextFieldRow::applyPreview);
    connect(cancel, &QPushButton::clicked, this, &TagTextFieldRow::cancelPreview);
    refresh();
}

QString TagTextFieldRow::text() const
{
    return m_field->text();
}

void TagTextFieldRow::setText(const QString &text)
{
    m_field->setText(text);
    m_field->setCursorPosition(0);
}

void TagTextFieldRow::setRowDisabled(bool disabled)
{
    m_disabled = disabled;
    colourLabel(m_label, m_theme, m_disabled);
    refresh();
}

void TagTextFieldRow::repair()
{
    m_preview = MojibakeRepair::repaired(text());
    m_message = m_preview ? std::nullopt : std::optional(L("未检测到乱码"));
    refresh();
}

void TagTextFieldRow::applyPreview()
{
    if (!m_preview)
        return;
    const QString repaired = *m_preview;
    m_preview.reset();
    m_message.reset();
    setText(repaired);
    refresh();
}

void TagTextFieldRow::cancelPreview()
{
    m_preview.reset();
    refresh();
}

void TagTextFieldRow::applyTheme(const ThemePalette &theme)
{
    m_theme = theme;
    colourLabel(m_label, theme, m_disabled);
    SheetStyle::setTextColour(m_previewText, theme.accentLight);
    SheetStyle::setTextColour(
        m_messageText, ThemePalette::withAlpha(theme.text, theme.tokens.isDark ? 0.45 : 0.62));
}

QLabel *TagTextFieldRow::makeLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("label"));
    label->setTextFormat(Qt::PlainText);
    label->setFont(Fonts::system(11.5));
    label->setFixedWidth(labelWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void TagTextFieldRow::colourLabel(QLabel *label, const ThemePalette &theme, bool disabled)
{
    SheetStyle::setTextColour(label, ThemePalette::withAlpha(theme.text, disabled ? 0.35 : 0.7));
}

void TagTextFieldRow::refresh()
{
    m_field->setEnabled(!m_disabled);
    // A text of blanks can still be garbled; only an empty one cannot.
    m_repairButton->setEnabled(!m_disabled && !text().isEmpty());
    if (m_preview)
        m_previewText->setText(Lf("修复预览：%@", *m_preview));
    m_previewLine->setVisible(m_preview.has_value());
    m_messageText->setText(m_message.value_or(QString()));
    m_messageText->setVisible(!m_preview && m_message);
}

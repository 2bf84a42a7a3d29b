#include "ProgressBanner.h"

#include "ActivitySpinner.h"

#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

ProgressBanner::ProgressBanner(QWidget *parent)
    : QWidget(parent), m_spinner(new ActivitySpinner(12, this)), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("progressBanner"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFont(Fonts::system(11.5));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(11, 7, 11, 8);
    layout->setSpacing(8);
    layout->addWidget(m_spinner);
    layout->addWidget(m_label, 1);
}

void ProgressBanner::setText(const QString &text)
{
    m_label->setText(text);
}

QString ProgressBanner::text() const
{
    return m_label->text();
}

void ProgressBanner::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QColor text = palette.text;
    text.setAlphaF(float(text.alphaF() * 0.82));
    QPalette colours = m_label->palette();
    if (colours.color(QPalette::WindowText) != text) {
        colours.setColor(QPalette::WindowText, text);
        m_label->setPalette(colours);
    }
    m_spinner->color = text;

    QPainter painter(this);
    QColor fill = palette.accent;
    fill.setAlphaF(float(fill.alphaF() * 0.1));
    painter.fillRect(rect(), fill);
    painter.fillRect(QRect(0, height() - 1, width(), 1), palette.hairline);
}

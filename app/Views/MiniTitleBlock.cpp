#include "MiniTitleBlock.h"

#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QPainter>

namespace {

QFont titleFont()
{
    return Fonts::system(12.5, QFont::DemiBold);
}

QFont subtitleFont()
{
    return Fonts::system(10.5);
}

constexpr int lineSpacing = 2;

} // namespace

MiniTitleBlock::MiniTitleBlock(int width, QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedWidth(width);
    setFixedHeight(QFontMetrics(titleFont()).height() + lineSpacing + QFontMetrics(subtitleFont()).height());
}

void MiniTitleBlock::setTexts(const QString &title, const QString &subtitle)
{
    if (title == m_title && subtitle == m_subtitle)
        return;
    m_title = title;
    m_subtitle = subtitle;
    update();
}

void MiniTitleBlock::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    QPainter painter(this);
    const QFontMetrics titleMetrics(titleFont());
    painter.setFont(titleFont());
    painter.setPen(theme.text);
    const QRect titleRect(0, 0, width(), titleMetrics.height());
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, titleMetrics.elidedText(m_title, Qt::ElideRight, width()));

    const QFontMetrics subtitleMetrics(subtitleFont());
    QColor dimmed = theme.text;
    dimmed.setAlphaF(theme.tokens.isDark ? 0.55f : 0.62f);
    painter.setFont(subtitleFont());
    painter.setPen(dimmed);
    const QRect subtitleRect(0, titleRect.bottom() + 1 + lineSpacing, width(), subtitleMetrics.height());
    painter.drawText(subtitleRect, Qt::AlignLeft | Qt::AlignVCenter,
        subtitleMetrics.elidedText(m_subtitle, Qt::ElideRight, width()));
}

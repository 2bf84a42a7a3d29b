#include "SearchField.h"

#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "Localization.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int glassSide = 12;

} // namespace

SearchField::SearchField(QWidget *parent) : QWidget(parent), m_lineEdit(new QLineEdit(this))
{
    setFixedSize(220, 26);
    m_lineEdit->setObjectName(QStringLiteral("searchField"));
    m_lineEdit->setFrame(false);
    m_lineEdit->setClearButtonEnabled(false);
    m_lineEdit->setPlaceholderText(L("搜索歌曲、歌手、专辑"));
    m_lineEdit->setFont(Fonts::system(12));
    m_lineEdit->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_lineEdit->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(9 + glassSide + 6, 0, 9, 0);
    layout->setSpacing(0);
    layout->addWidget(m_lineEdit);
    applyTheme();
}

void SearchField::applyTheme()
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPalette colours = m_lineEdit->palette();
    colours.setColor(QPalette::Text, palette.text);
    colours.setColor(QPalette::PlaceholderText, ThemePalette::withAlpha(palette.text, palette.tokens.isDark ? 0.45 : 0.5));
    colours.setColor(QPalette::Highlight, ThemePalette::withAlpha(palette.accent, 0.45));
    colours.setColor(QPalette::HighlightedText, palette.text);
    m_lineEdit->setPalette(colours);
    update();
}

void SearchField::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 7, 7);
    painter.fillPath(shape, palette.raisedFill);
    // Stroked inside the shape: half the width inset.
    painter.setPen(QPen(palette.hairline, 0.5));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 6.75, 6.75);

    const QImage glass = Icons::tinted(Icons::magnifyingGlass(glassSide, QFont::Normal, devicePixelRatioF()),
        ThemePalette::withAlpha(palette.text, palette.tokens.isDark ? 0.45 : 0.62));
    painter.drawImage(QRectF(9, (height() - glassSide) / 2.0, glassSide, glassSide), glass);
}

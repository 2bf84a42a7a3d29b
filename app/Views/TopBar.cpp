#include "TopBar.h"

#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "Localization.h"
#include "UI/NoteIcon.h"
#include "SearchField.h"
#include "SymbolButton.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

// Native window decorations take the place of the traffic-light buttons, so both ends keep the
// same small inset.
constexpr int sideInset = 16;
constexpr int noteSize = 14;
constexpr int noteSpacing = 7;

QFont titleFont()
{
    return Fonts::system(14, QFont::DemiBold);
}

} // namespace

TopBar::TopBar(QWidget *parent)
    : QWidget(parent)
    , m_searchField(new SearchField(this))
    , m_settingsButton(new SymbolButton(Icons::gear(16, QFont::Normal, 2.0), 0.7, 26, L("设置"), this))
{
    setFixedHeight(barHeight);
    m_settingsButton->setObjectName(QStringLiteral("settingsButton"));
    connect(m_settingsButton, &SymbolButton::clicked, this, &TopBar::settingsRequested);

    const int brandWidth = noteSize + noteSpacing + QFontMetrics(titleFont()).horizontalAdvance(L("Quillmere"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(sideInset + brandWidth, 0, sideInset, 0);
    layout->setSpacing(12);
    layout->addSpacing(12);
    layout->addStretch(1);
    layout->addWidget(m_searchField);
    layout->addWidget(m_settingsButton);
}

void TopBar::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.fillRect(rect(), ThemePalette::withAlpha(palette.raisedFill, palette.raisedFill.alphaF() * 0.24));
    painter.fillRect(QRect(0, barHeight - 1, width(), 1), palette.hairline);

    const QColor brandColour = ThemePalette::withAlpha(palette.text, 0.85);
    const QImage note = NoteIcon::image(noteSize, brandColour, devicePixelRatioF());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(sideInset, (barHeight - noteSize) / 2.0, noteSize, noteSize), note);

    painter.setPen(brandColour);
    painter.setFont(titleFont());
    const QRect titleRect(sideInset + noteSize + noteSpacing, 0, width(), barHeight);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, L("Quillmere"));
}

#include "SidebarSectionHeader.h"

#include "SidebarIconButton.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

constexpr int sidePadding = 9;
constexpr int topPadding = 4;
constexpr int bottomPadding = 5;
constexpr int plusSide = 22;
constexpr int plusTrailingPadding = 4;

QFont labelFont()
{
    QFont font = Fonts::system(10, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.1);
    return font;
}

} // namespace

SidebarSectionHeader::SidebarSectionHeader(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_text(text)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    setAccessibleName(text);
}

SidebarIconButton *SidebarSectionHeader::addPlusButton(const QString &help)
{
    m_plus = new SidebarIconButton(Icons::plus, {11, QFont::DemiBold, plusSide, 0.55, 0.62}, help, this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, plusTrailingPadding, 0);
    layout->addStretch(1);
    layout->addWidget(m_plus, 0, Qt::AlignVCenter);
    setFixedHeight(sizeHint().height());
    connect(m_plus, &SidebarIconButton::clicked, this, &SidebarSectionHeader::plusClicked);
    return m_plus;
}

QSize SidebarSectionHeader::sizeHint() const
{
    const int labelHeight = QFontMetrics(labelFont()).height() + topPadding + bottomPadding;
    return QSize(120, std::max(labelHeight, m_plus ? plusSide : 0));
}

void SidebarSectionHeader::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QColor colour = palette.text;
    colour.setAlphaF(palette.tokens.isDark ? 0.42f : 0.62f);
    QPainter painter(this);
    painter.setFont(labelFont());
    painter.setPen(colour);
    const int labelHeight = QFontMetrics(labelFont()).height() + topPadding + bottomPadding;
    const QRect label(sidePadding, (height() - labelHeight) / 2 + topPadding, width() - 2 * sidePadding,
        labelHeight - topPadding - bottomPadding);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

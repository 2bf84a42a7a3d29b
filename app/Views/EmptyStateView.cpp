#include "EmptyStateView.h"

#include "TextButton.h"
#include "TrackListSymbols.h"

#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int symbolSide = 42;

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette colours = label->palette();
    if (colours.color(QPalette::WindowText) == color)
        return;
    colours.setColor(QPalette::WindowText, color);
    label->setPalette(colours);
}

class ListSymbol : public QWidget
{
public:
    explicit ListSymbol(QWidget *parent) : QWidget(parent) { setFixedSize(symbolSide, symbolSide); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ThemePalette palette = ThemeEnvironment::theme(this);
        QPainter painter(this);
        painter.drawImage(QRectF(rect()),
                          Icons::tinted(TrackListSymbols::musicNoteList(symbolSide, QFont::Light, devicePixelRatioF()),
                                        ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? 0.28 : 0.62)));
    }
};

} // namespace

EmptyStateView::EmptyStateView(QWidget *parent)
    : QWidget(parent), m_symbol(new ListSymbol(this)), m_title(new QLabel(this)), m_hint(new QLabel(this))
{
    setObjectName(QStringLiteral("emptyState"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(Fonts::system(16, QFont::DemiBold));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setObjectName(QStringLiteral("emptyStateTitle"));
    m_hint->setTextFormat(Qt::PlainText);
    m_hint->setFont(Fonts::system(12));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);
    m_hint->setObjectName(QStringLiteral("emptyStateHint"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 0, 40, 0);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    layout->addWidget(m_title);
    layout->addWidget(m_hint);
    layout->addStretch(1);
    setSituation(m_situation);
}

void EmptyStateView::setSituation(TrackListTexts::EmptySituation situation)
{
    if (m_button && situation == m_situation)
        return;
    m_situation = situation;
    const TrackListTexts::EmptyStateContent content = TrackListTexts::emptyStateContent(situation);
    m_title->setText(content.title);
    m_hint->setText(content.hint);
    // The button's width follows its title, so a new title makes a new button.
    const bool enabled = !m_button || m_button->isEnabled();
    delete m_button;
    m_button = new TextButton(content.button, Fonts::system(12, QFont::Medium), TextButton::Kind::Framed, this);
    m_button->setObjectName(QStringLiteral("emptyStateAction"));
    m_button->setFixedSize(m_button->sizeHint());
    m_button->setEnabled(enabled);
    connect(m_button, &TextButton::clicked, this, [this] { emit actionRequested(m_situation); });
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    layout->insertWidget(layout->indexOf(m_hint) + 1, m_button, 0, Qt::AlignHCenter);
}

void EmptyStateView::setScanning(bool scanning)
{
    m_button->setEnabled(!scanning);
}

QString EmptyStateView::title() const
{
    return m_title->text();
}

QString EmptyStateView::hint() const
{
    return m_hint->text();
}

void EmptyStateView::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    setTextColor(m_title, ThemePalette::withOpacity(palette.text, 0.85));
    setTextColor(m_hint, ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? 0.5 : 0.62));
}

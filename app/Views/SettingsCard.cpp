#include "SettingsCard.h"

#include "ThemedLabel.h"
#include "UI/GlassPanelModifier.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int symbolColumnWidth = 24;
constexpr qreal symbolSize = 18;

// The card's symbol in the palette's accent, centred at the top of its column.
class CardSymbol final : public QWidget
{
public:
    explicit CardSymbol(const QImage &symbol)
        : m_symbol(symbol)
    {
        setFixedSize(symbolColumnWidth, int(symbolSize));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QImage image = Icons::tinted(m_symbol, ThemeEnvironment::theme(this).accent);
        const QSizeF size = image.deviceIndependentSize();
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF((width() - size.width()) / 2, 0), size), image);
    }

private:
    QImage m_symbol;
};

} // namespace

SettingsCard::SettingsCard(const QImage &symbol, const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_rows(new QVBoxLayout)
    , m_notice(new ThemedLabel(QString(), 10.5, QFont::Normal, [](const ThemePalette &p) { return p.accentLight; }))
{
    auto *inner = new QWidget;
    auto *row = new QHBoxLayout(inner);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(13);
    row->addWidget(new CardSymbol(symbol), 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(8);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new ThemedLabel(title, 13, QFont::DemiBold, [](const ThemePalette &p) { return p.text; }));
    m_rows->setSpacing(8);
    m_rows->setContentsMargins(0, 0, 0, 0);
    column->addLayout(m_rows);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWraps(true);
    m_notice->hide();
    column->addWidget(m_notice);
    row->addLayout(column, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(glassPanel(inner, 10));
}

QHBoxLayout *SettingsCard::addRow(int spacing)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(spacing);
    row->setContentsMargins(0, 0, 0, 0);
    m_rows->addLayout(row);
    return row;
}

void SettingsCard::setNotice(const std::optional<QString> &notice)
{
    m_notice->setText(notice.value_or(QString()));
    m_notice->setVisible(notice.has_value());
}

std::optional<QString> SettingsCard::notice() const
{
    if (m_notice->isHidden())
        return std::nullopt;
    return m_notice->text();
}

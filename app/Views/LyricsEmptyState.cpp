#include "LyricsEmptyState.h"

#include "Localization.h"
#include "LyricsPageButton.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr qreal symbolSize = 34;
constexpr int spacing = 12;

QLabel *plainLabel(const QFont &font)
{
    auto *label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

LyricsEmptyState::LyricsEmptyState(QWidget *parent)
    : QWidget(parent)
    , m_title(plainLabel(Fonts::system(15, QFont::Medium)))
    , m_message(plainLabel(Fonts::system(11.5)))
    , m_retry(new LyricsPageButton(L("重试匹配"), std::nullopt, Fonts::system(11.5, QFont::Medium), {},
          [](const ThemePalette &theme) {
              return LyricsPageButton::Colors { theme.accentLight, ThemePalette::withOpacity(theme.accent, 0.16),
                  ThemePalette::withOpacity(theme.accent, 0.3) };
          }))
    , m_import(new LyricsPageButton(L("导入歌词…"), std::nullopt, Fonts::system(11.5, QFont::Medium), {},
          [](const ThemePalette &theme) {
              return LyricsPageButton::Colors { theme.accentLight, theme.raisedFill, theme.hairline };
          }))
{
    setObjectName(QStringLiteral("lyricsEmptyState"));
    m_title->setObjectName(QStringLiteral("emptyTitle"));
    m_message->setObjectName(QStringLiteral("emptyMessage"));
    m_retry->setHelp(L("重新查找同名歌词或在线匹配"));
    m_import->setHelp(L("选择 .lrc 或 .txt 文件"));
    m_import->setAccessibleName(L("导入歌词"));
    connect(m_retry, &QAbstractButton::clicked, this, &LyricsEmptyState::retryRequested);
    connect(m_import, &QAbstractButton::clicked, this, &LyricsEmptyState::importRequested);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(m_retry);
    buttons->addWidget(m_import);
    buttons->addStretch();

    // The symbol is painted in the space kept above the title.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->setSpacing(spacing);
    layout->addStretch();
    layout->addSpacing(int(symbolSize));
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
    layout->addStretch();
    setResolving(false);
}

void LyricsEmptyState::setResolving(bool resolving)
{
    m_title->setText(resolving ? L("正在匹配歌词…") : L("暂无歌词"));
    m_message->setText(resolving ? L("正在查找同名歌词与在线来源") : L("可以重试匹配，或导入本地歌词文件"));
}

void LyricsEmptyState::setButtonsEnabled(bool retryEnabled, bool importEnabled)
{
    m_retry->setEnabled(retryEnabled);
    m_import->setEnabled(importEnabled);
}

QString LyricsEmptyState::title() const
{
    return m_title->text();
}

QString LyricsEmptyState::message() const
{
    return m_message->text();
}

void LyricsEmptyState::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    const bool dark = theme.tokens.isDark;
    // Label colours follow the palette at every paint, like everything painted.
    const auto setColor = [](QLabel *label, const QColor &color) {
        QPalette palette = label->palette();
        if (palette.color(QPalette::WindowText) == color)
            return;
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    };
    setColor(m_title, ThemePalette::withOpacity(theme.text, 0.85));
    setColor(m_message, ThemePalette::withOpacity(theme.text, dark ? 0.5 : 0.62));

    const QImage symbol = Icons::tinted(
        LyricsPageSymbols::image(LyricsPageSymbols::Symbol::textAlignLeft, symbolSize, QFont::Light, devicePixelRatioF()),
        ThemePalette::withOpacity(theme.text, dark ? 0.3 : 0.62));
    const qreal top = m_title->geometry().top() - spacing - symbolSize;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF((width() - symbolSize) / 2, top, symbolSize, symbolSize), symbol);
}

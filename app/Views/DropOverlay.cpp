#include "DropOverlay.h"

#include "UI/Fonts.h"
#include "UI/GlassPanelModifier.h"
#include "UI/Icons.h"
#include "Localization.h"
#include "UI/ThemeEnvironment.h"

#include <QGridLayout>
#include <QPainter>

namespace {

constexpr int symbolSize = 32;
constexpr int spacing = 10;
constexpr QMargins padding(30, 24, 30, 24);

// The panel's content: folder symbol, what to do, what happens.
class DropPrompt : public QWidget
{
public:
    explicit DropPrompt(QWidget *parent = nullptr) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedSize(sizeHint());
    }

    QSize sizeHint() const override
    {
        const QFontMetrics titleMetrics(titleFont());
        const QFontMetrics detailMetrics(detailFont());
        const int width = std::max({symbolSize, titleMetrics.horizontalAdvance(title()),
            detailMetrics.horizontalAdvance(detail())});
        const int height = symbolSize + spacing + titleMetrics.height() + spacing + detailMetrics.height();
        return QSize(width, height).grownBy(padding);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ThemePalette palette = ThemeEnvironment::theme(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect area = rect().marginsRemoved(padding);

        const QImage symbol = Icons::tinted(
            Icons::folderBadgePlus(symbolSize, QFont::Light, devicePixelRatioF()), palette.accent);
        painter.drawImage(QRectF(area.center().x() - symbolSize / 2.0, area.top(), symbolSize, symbolSize), symbol);

        int top = area.top() + symbolSize + spacing;
        const QFontMetrics titleMetrics(titleFont());
        painter.setFont(titleFont());
        painter.setPen(palette.text);
        painter.drawText(QRect(area.left(), top, area.width(), titleMetrics.height()), Qt::AlignCenter, title());

        top += titleMetrics.height() + spacing;
        painter.setFont(detailFont());
        painter.setPen(ThemePalette::withAlpha(palette.text, palette.tokens.isDark ? 0.55 : 0.62));
        painter.drawText(QRect(area.left(), top, area.width(), QFontMetrics(detailFont()).height()),
            Qt::AlignCenter, detail());
    }

private:
    static QFont titleFont() { return Fonts::system(14, QFont::DemiBold); }
    static QFont detailFont() { return Fonts::system(11); }
    static QString title() { return L("松开以导入"); }
    static QString detail() { return L("文件夹会递归扫描，单个文件会导入所在文件夹"); }
};

} // namespace

DropOverlay::DropOverlay(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *layout = new QGridLayout(this);
    layout->addWidget(glassPanel(new DropPrompt, 16), 0, 0, Qt::AlignCenter);
    hide();
}

void DropOverlay::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.fillRect(rect(), ThemePalette::withAlpha(palette.playerTint, palette.playerTint.alphaF() * 0.55));
}

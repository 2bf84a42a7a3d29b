#pragma once

#include "LyricsPageSymbols.h"
#include "UI/ThemePalette.h"

#include <QAbstractButton>

#include <functional>
#include <optional>

// A painted button of the lyrics page: an optional symbol and a title on a filled, bordered
// rounded shape (a capsule unless a corner radius is given). The colours come from the palette at
// each paint, so the button follows theme changes by itself. The whole shape takes clicks; a
// disabled button is drawn at 0.45 opacity. The tooltip is plain text.
class LyricsPageButton : public QAbstractButton
{
    Q_OBJECT

public:
    struct Colors
    {
        QColor foreground;
        QColor fill;
        QColor border;
    };

    struct Shape
    {
        int height = 28;
        int horizontalPadding = 13; // ignored when the button stretches
        std::optional<qreal> cornerRadius; // none: a capsule
        int spacing = 6; // between symbol and title
    };

    struct SymbolLook
    {
        LyricsPageSymbols::Symbol symbol;
        qreal pointSize;
        QFont::Weight weight;
    };

    using ColorRule = std::function<Colors(const ThemePalette &)>;

    LyricsPageButton(const QString &title, std::optional<SymbolLook> symbol, QFont font, Shape shape,
        ColorRule colors, QWidget *parent = nullptr);

    void setHelp(const QString &help);
    void setTitle(const QString &title);
    Colors colors() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    std::optional<SymbolLook> m_symbol;
    QFont m_font;
    Shape m_shape;
    ColorRule m_colors;
};

#include "TrackListHeader.h"

#include "ActivitySpinner.h"
#include "SymbolButton.h"
#include "TrackListSymbols.h"

#include "Localization.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

constexpr int horizontalPadding = 18;
constexpr int topPadding = 16;
constexpr int bottomPadding = 8;
constexpr int textSpacing = 10;

QFont titleFont()
{
    return Fonts::system(18, QFont::DemiBold);
}

QFont metaFont()
{
    return Fonts::system(11.5);
}

QColor dimmedText(const ThemePalette &palette, qreal darkOpacity)
{
    QColor colour = palette.text;
    colour.setAlphaF(float(colour.alphaF() * (palette.tokens.isDark ? darkOpacity : 0.62)));
    return colour;
}

SymbolButton *makeRescanButton(qreal opacity, QWidget *parent)
{
    auto *button = new SymbolButton(TrackListSymbols::arrowClockwise(13, QFont::Normal, 2.0), opacity, 26,
                                    L("重新扫描音乐文件夹"), parent);
    button->setObjectName(QStringLiteral("rescanButton"));
    return button;
}

} // namespace

TrackListHeader::TrackListHeader(QWidget *parent)
    : QWidget(parent)
    , m_scanningNote(new QWidget(this))
    , m_spinner(new ActivitySpinner(12, m_scanningNote))
    , m_scanningLabel(new QLabel(L("扫描中…"), m_scanningNote))
    , m_activeRescan(makeRescanButton(0.6, this))
    , m_dimmedRescan(makeRescanButton(0.25, this))
{
    setObjectName(QStringLiteral("trackListHeader"));
    const int textHeight = QFontMetrics(titleFont()).height();
    setFixedHeight(topPadding + qMax(textHeight, 26) + bottomPadding);

    m_scanningLabel->setTextFormat(Qt::PlainText);
    m_scanningLabel->setFont(Fonts::system(10.5));
    auto *note = new QHBoxLayout(m_scanningNote);
    note->setContentsMargins(0, 0, 0, 0);
    note->setSpacing(3);
    note->addWidget(m_spinner);
    note->addWidget(m_scanningLabel);
    m_scanningNote->setObjectName(QStringLiteral("scanningNote"));
    m_scanningNote->hide();

    m_dimmedRescan->setEnabled(false);
    connect(m_activeRescan, &SymbolButton::clicked, this, &TrackListHeader::rescanRequested);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(horizontalPadding, topPadding, horizontalPadding, bottomPadding);
    layout->setSpacing(textSpacing);
    layout->addStretch(1);
    layout->addWidget(m_scanningNote);
    layout->addWidget(m_activeRescan);
    layout->addWidget(m_dimmedRescan);
    setScanState(false, false);
}

SymbolButton *TrackListHeader::rescanButton() const
{
    return m_activeRescan->isVisibleTo(this) ? m_activeRescan : m_dimmedRescan;
}

void TrackListHeader::setTexts(const QString &title, const QString &metaLine)
{
    if (title == m_title && metaLine == m_metaLine)
        return;
    m_title = title;
    m_metaLine = metaLine;
    update();
}

void TrackListHeader::setScanState(bool isScanning, bool hasFolders)
{
    m_scanningNote->setVisible(isScanning);
    // Dimmed means no folders; a scan only disables the button.
    m_activeRescan->setVisible(hasFolders);
    m_dimmedRescan->setVisible(!hasFolders);
    m_activeRescan->setEnabled(!isScanning);
}

void TrackListHeader::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    m_spinner->color = dimmedText(palette, 0.5);
    QPalette colours = m_scanningLabel->palette();
    if (colours.color(QPalette::WindowText) != dimmedText(palette, 0.5)) {
        colours.setColor(QPalette::WindowText, dimmedText(palette, 0.5));
        m_scanningLabel->setPalette(colours);
    }

    // Title and meta line share the first baseline; the title keeps its width first.
    int right = width() - horizontalPadding;
    for (const QWidget *widget : {static_cast<QWidget *>(m_scanningNote), static_cast<QWidget *>(m_activeRescan),
                                  static_cast<QWidget *>(m_dimmedRescan)}) {
        if (widget->isVisibleTo(this))
            right = qMin(right, widget->x() - 12);
    }
    const QFontMetrics titleMetrics(titleFont());
    const QFontMetrics metaMetrics(metaFont());
    const int available = qMax(0, right - horizontalPadding);
    const QString title = titleMetrics.elidedText(m_title, Qt::ElideRight, available);
    const int titleWidth = titleMetrics.horizontalAdvance(title);
    const int metaWidth = qMax(0, available - titleWidth - textSpacing);
    const QString meta = metaMetrics.elidedText(m_metaLine, Qt::ElideRight, metaWidth);
    const int baseline = topPadding + (26 + titleMetrics.ascent() - titleMetrics.descent()) / 2;

    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(titleFont());
    painter.setPen(palette.text);
    painter.drawText(QPoint(horizontalPadding, baseline), title);
    painter.setFont(metaFont());
    painter.setPen(dimmedText(palette, 0.5));
    painter.drawText(QPoint(horizontalPadding + titleWidth + textSpacing, baseline), meta);
}

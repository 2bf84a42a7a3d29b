#include "SortBar.h"

#include "SortButton.h"
#include "TrackColumns.h"
#include "TrackRowDelegate.h"

#include "Localization.h"

SortBar::SortBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sortBar"));
    setFixedHeight(22 + 6);
    const struct
    {
        const char *title;
        TrackSort column;
        Qt::Alignment alignment;
    } columns[] = {
        {"标题", TrackSort::Title, Qt::AlignLeft},
        {"歌手", TrackSort::Artist, Qt::AlignLeft},
        {"专辑", TrackSort::Album, Qt::AlignLeft},
        {"时长", TrackSort::Duration, Qt::AlignRight},
        {"添加时间", TrackSort::DateAdded, Qt::AlignRight},
    };
    for (const auto &column : columns) {
        auto *button = new SortButton(L(column.title), column.column, column.alignment, this);
        connect(button, &SortButton::clicked, this, [this, sort = column.column] { emit sortRequested(sort); });
        m_buttons.append(button);
    }
}

void SortBar::setState(TrackSort sort, bool ascending, bool sortsColumns)
{
    for (SortButton *button : std::as_const(m_buttons))
        button->setState(sortsColumns && button->column() == sort, ascending);
}

SortButton *SortBar::button(TrackSort column) const
{
    for (SortButton *button : m_buttons) {
        if (button->column() == column)
            return button;
    }
    return nullptr;
}

void SortBar::resizeEvent(QResizeEvent *)
{
    layoutButtons();
}

void SortBar::layoutButtons()
{
    using namespace TrackColumns;
    // The rows keep the same margin from the view's edge, beside the scroll bar when it shows.
    const TrackRowDelegate::Cells cells = TrackRowDelegate::columns(listPadding, width() - 2 * listPadding);
    const QRect rects[] = {cells.title, cells.artist, cells.album, cells.duration, cells.added};
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        const QRect &cell = rects[i];
        m_buttons[i]->setGeometry(cell.left() - SortButton::backgroundOutset, 0,
                                  cell.width() + 2 * SortButton::backgroundOutset, 22);
    }
}

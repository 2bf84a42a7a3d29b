#include "SegmentedPicker.h"

#include "UI/Fonts.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

SegmentedPicker::SegmentedPicker(const QList<Segment> &segments, int width, QWidget *parent)
    : QWidget(parent)
    , m_segments(segments)
    , m_group(new QButtonGroup(this))
{
    setFixedWidth(width);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (qsizetype index = 0; index < segments.size(); ++index) {
        auto *button = new QPushButton(segments[index].first);
        button->setCheckable(true);
        button->setFont(Fonts::system(11));
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        m_group->addButton(button, int(index));
        layout->addWidget(button, 1);
    }
    // Only the user's own clicks report; setValue() stays silent.
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { emit picked(m_segments[id].second); });
}

void SegmentedPicker::setValue(const QString &tag)
{
    QAbstractButton *wanted = segment(tag);
    if (wanted) {
        wanted->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked unless told otherwise for a moment.
    m_group->setExclusive(false);
    for (QAbstractButton *button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

QString SegmentedPicker::value() const
{
    const int id = m_group->checkedId();
    return id < 0 ? QString() : m_segments[id].second;
}

QAbstractButton *SegmentedPicker::segment(const QString &tag) const
{
    for (qsizetype index = 0; index < m_segments.size(); ++index) {
        if (m_segments[index].second == tag)
            return m_group->button(int(index));
    }
    return nullptr;
}

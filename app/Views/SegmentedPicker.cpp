#include "SegmentedPicker.h"

#include "UI/Fonts.h"

#include "UI/ThemeEnvironment.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int segmentHeight = 22;
constexpr qreal cornerRadius = 6;

// One segment: the selected one filled with the accent, the others on a faint fill; the outer
// corners of the row rounded.
class SegmentButton final : public QAbstractButton
{
public:
    SegmentButton(const QString &title, bool first, bool last)
        : m_first(first)
        , m_last(last)
    {
        setText(title);
        setCheckable(true);
        setFont(Fonts::system(11));
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setFixedHeight(segmentHeight);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return QSize(fontMetrics().horizontalAdvance(text()) + 16, segmentHeight); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ThemePalette palette = ThemeEnvironment::theme(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, m_last ? -0.5 : 0, -0.5);
        // Rounded on the row's outer ends only: the shape reaches past the inner edges.
        const QRectF shape = area.adjusted(m_first ? 0 : -cornerRadius, 0, m_last ? 0 : cornerRadius, 0);
        QPainterPath path;
        path.addRoundedRect(shape, cornerRadius, cornerRadius);
        painter.setClipRect(area.adjusted(0, -1, 0, 1));

        QColor idle = palette.text;
        idle.setAlphaF(palette.tokens.isDark ? 0.08f : 0.05f);
        painter.fillPath(path, isChecked() ? palette.accent : idle);
        painter.setPen(QPen(palette.hairline, 1));
        painter.drawPath(path);
        if (!m_first)
            painter.drawLine(area.topLeft(), area.bottomLeft());

        QColor title = isChecked() ? palette.onAccent : palette.text;
        if (!isChecked())
            title.setAlphaF(isDown() ? 0.6f : 0.82f);
        painter.setPen(title);
        painter.drawText(rect(), Qt::AlignCenter, fontMetrics().elidedText(text(), Qt::ElideRight, width() - 4));
    }

private:
    bool m_first;
    bool m_last;
};

} // namespace

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
        auto *button = new SegmentButton(segments[index].first, index == 0, index == segments.size() - 1);
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

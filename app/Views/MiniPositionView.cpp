#include "MiniPositionView.h"

#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"
#include "UI/TimeText.h"

#include <QPainter>

namespace {

QFont timeFont()
{
    return Fonts::system(10);
}

} // namespace

MiniPositionView::MiniPositionView(AppModel &model, PlaybackEngine &engine, QWidget *parent)
    : QWidget(parent), m_model(model), m_engine(engine)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&engine, &PlaybackEngine::positionChanged, this, &MiniPositionView::setPosition);
    connect(&engine, &PlaybackEngine::durationChanged, this, &MiniPositionView::refresh);
    connect(&model, &AppModel::restoredPositionChanged, this, &MiniPositionView::refresh);
    connect(&model, &AppModel::currentTrackChanged, this, &MiniPositionView::refresh);
    m_shownText = text();
}

QString MiniPositionView::text() const
{
    return TimeText::string(m_engine.duration() > 0 ? m_position : m_model.restoredPosition());
}

QSize MiniPositionView::sizeHint() const
{
    const QFontMetrics metrics(timeFont());
    return QSize(metrics.horizontalAdvance(m_shownText) + 1, metrics.height());
}

void MiniPositionView::showEvent(QShowEvent *event)
{
    setPosition(m_engine.position());
    QWidget::showEvent(event);
}

void MiniPositionView::setPosition(double position)
{
    m_position = position;
    refresh();
}

void MiniPositionView::refresh()
{
    const QString shown = text();
    if (shown == m_shownText)
        return;
    const bool widthChanges = QFontMetrics(timeFont()).horizontalAdvance(shown)
                              != QFontMetrics(timeFont()).horizontalAdvance(m_shownText);
    m_shownText = shown;
    if (widthChanges)
        updateGeometry();
    update();
}

void MiniPositionView::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    QColor color = theme.text;
    color.setAlphaF(theme.tokens.isDark ? 0.5f : 0.62f);
    QPainter painter(this);
    painter.setFont(timeFont());
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, m_shownText);
}

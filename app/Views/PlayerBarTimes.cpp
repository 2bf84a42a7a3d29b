#include "PlayerBarTimes.h"

#include "Localization.h"
#include "PlaybackTimeline.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"
#include "UI/TimeText.h"

#include <QPainter>

namespace {

constexpr int sideInset = 18;

QFont timeFont()
{
    return Fonts::system(9.5);
}

} // namespace

PlayerBarTimes::PlayerBarTimes(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_timeline(new PlaybackTimeline(model, this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(L("播放时间"));
    setFixedHeight(QFontMetrics(timeFont()).height());
    connect(m_timeline, &PlaybackTimeline::changed, this, [this] {
        update();
        setAccessibleDescription(elapsedText() + QLatin1Char(' ') + totalText());
    });
}

QString PlayerBarTimes::elapsedText() const
{
    return TimeText::string(m_timeline->shownPosition());
}

QString PlayerBarTimes::totalText() const
{
    return TimeText::string(m_timeline->total());
}

QSize PlayerBarTimes::sizeHint() const
{
    return QSize(2 * sideInset, height());
}

void PlayerBarTimes::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QColor colour = palette.text;
    colour.setAlphaF(palette.tokens.isDark ? 0.55f : 0.62f);
    QPainter painter(this);
    painter.setPen(colour);
    painter.setFont(timeFont());
    const QRect inset = rect().adjusted(sideInset, 0, -sideInset, 0);
    painter.drawText(inset, Qt::AlignLeft | Qt::AlignVCenter, elapsedText());
    painter.drawText(inset, Qt::AlignRight | Qt::AlignVCenter, totalText());
}

void PlayerBarTimes::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timeline->refresh();
}

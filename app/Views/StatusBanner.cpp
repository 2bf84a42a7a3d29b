#include "StatusBanner.h"

#include "ClampedText.h"
#include "SymbolButton.h"
#include "TextButton.h"
#include "TrackListSymbols.h"

#include "Localization.h"
#include "UI/Model/FFmpegControl.h"
#include "UI/Fonts.h"
#include "UI/Icons.h"
#include "UI/ThemeEnvironment.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int warningSide = 11;

// The warning triangle at the start of the message row.
class WarningGlyph : public QWidget
{
public:
    explicit WarningGlyph(QWidget *parent) : QWidget(parent) { setFixedSize(warningSide, warningSide); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(QRectF(rect()),
                          Icons::tinted(TrackListSymbols::warningTriangle(warningSide, devicePixelRatioF()),
                                        ThemeEnvironment::theme(this).warning));
    }
};

} // namespace

StatusBanner::StatusBanner(QWidget *parent)
    : QWidget(parent)
    , m_message(new ClampedText(2, Fonts::system(11.5)))
    , m_closeButton(new SymbolButton(TrackListSymbols::xmark(10, QFont::DemiBold, 2.0), 0.5, 18, L("关闭")))
    , m_ffmpegRow(new QWidget)
    , m_note(new QLabel(L("原生格式仍可正常播放")))
    , m_box(new QWidget(this))
{
    setObjectName(QStringLiteral("statusBanner"));
    m_message->setObjectName(QStringLiteral("statusMessage"));
    m_closeButton->setObjectName(QStringLiteral("dismissStatus"));
    m_ffmpegRow->setObjectName(QStringLiteral("ffmpegPrompt"));
    connect(m_closeButton, &SymbolButton::clicked, this, &StatusBanner::dismissRequested);

    auto *messageRow = new QHBoxLayout;
    messageRow->setSpacing(8);
    messageRow->addWidget(new WarningGlyph(m_box), 0, Qt::AlignVCenter);
    messageRow->addWidget(m_message, 1, Qt::AlignVCenter);
    messageRow->addSpacing(6);
    messageRow->addWidget(m_closeButton, 0, Qt::AlignVCenter);

    const QFont rowFont = Fonts::system(10.5);
    auto *ffmpeg = new QHBoxLayout(m_ffmpegRow);
    ffmpeg->setContentsMargins(0, 0, 0, 0);
    ffmpeg->setSpacing(12);
    const struct
    {
        QString title;
        const char *name;
        void (StatusBanner::*signal)();
    } actions[] = {
        {Lf("复制 %@", FFmpegControl::installCommand), "copyFFmpegCommand", &StatusBanner::copyFFmpegCommandRequested},
        {L("重新检测"), "redetectFFmpeg", &StatusBanner::redetectFFmpegRequested},
        {L("选择 FFmpeg…"), "chooseFFmpeg", &StatusBanner::chooseFFmpegRequested},
    };
    for (const auto &action : actions) {
        auto *button = new TextButton(action.title, rowFont, TextButton::Kind::Plain, m_ffmpegRow);
        button->setObjectName(QString::fromLatin1(action.name));
        connect(button, &TextButton::clicked, this, action.signal);
        ffmpeg->addWidget(button);
    }
    m_note->setTextFormat(Qt::PlainText);
    m_note->setFont(rowFont);
    ffmpeg->addWidget(m_note);
    ffmpeg->addStretch(1);
    m_ffmpegRow->hide();

    auto *box = new QVBoxLayout(m_box);
    box->setContentsMargins(11, 7, 11, 7);
    box->setSpacing(7);
    box->addLayout(messageRow);
    box->addWidget(m_ffmpegRow);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(18, 0, 18, 6);
    outer->setSpacing(0);
    outer->addWidget(m_box);
}

void StatusBanner::setMessage(const QString &message)
{
    m_message->setText(message);
}

void StatusBanner::setShowsFFmpegPrompt(bool shows)
{
    m_ffmpegRow->setVisible(shows);
}

void StatusBanner::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    m_message->setColor(ThemePalette::withOpacity(palette.text, 0.82));
    const QColor note = ThemePalette::withOpacity(palette.text, palette.tokens.isDark ? 0.45 : 0.62);
    QPalette colours = m_note->palette();
    if (colours.color(QPalette::WindowText) != note) {
        colours.setColor(QPalette::WindowText, note);
        m_note->setPalette(colours);
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(m_box->geometry());
    QPainterPath shape;
    shape.addRoundedRect(box, 8, 8);
    painter.fillPath(shape, ThemePalette::withOpacity(palette.warning, 0.12));
    painter.setPen(QPen(ThemePalette::withOpacity(palette.warning, 0.3), 0.5));
    painter.drawRoundedRect(box.adjusted(0.25, 0.25, -0.25, -0.25), 7.75, 7.75);
}

#include "LyricsSettingsCard.h"

#include "SegmentedPicker.h"
#include "SettingSwitch.h"
#include "SettingsIcons.h"
#include "ThemedLabel.h"
#include "Localization.h"
#include "Lyrics/LRCLIBClient.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace {

ThemedLabel *rowLabel(const QString &text, int width)
{
    auto *label = new ThemedLabel(text, 11.5, QFont::Normal, [](const ThemePalette &palette) {
        QColor colour = palette.text;
        colour.setAlphaF(0.75f);
        return colour;
    });
    label->setFixedWidth(width);
    return label;
}

} // namespace

LyricsSettingsCard::LyricsSettingsCard(AppModel &model, QWidget *parent)
    : SettingsCard(SettingsIcons::textAlignLeft(18, 2.0), L("歌词"), parent)
    , m_model(model)
    , m_online(new SettingSwitch(L("启用在线歌词匹配")))
    , m_endpoint(new QLineEdit)
    , m_resetEndpoint(new QPushButton(L("恢复默认")))
    , m_endpointNotice(new ThemedLabel(QString(), 10.5, QFont::Normal, [](const ThemePalette &p) { return p.warning; }))
    , m_opacity(new QSlider(Qt::Horizontal))
    , m_opacityText(new ThemedLabel(QString(), 10.5, QFont::Normal, ThemedLabel::muted(0.5, 0.62)))
    , m_outline(new SettingSwitch(L("歌词文字描边")))
    , m_lineMode(new SegmentedPicker({{L("单行"), QStringLiteral("one")}, {L("双行"), QStringLiteral("two")}}, 140))
{
    rows()->addWidget(new ThemedLabel(L("桌面歌词窗与在线歌词来源。"), 11, QFont::Normal, ThemedLabel::muted(0.5, 0.62)));
    rows()->addWidget(m_online);

    QHBoxLayout *endpoint = addRow(10);
    endpoint->addWidget(rowLabel(L("歌词源地址"), 92));
    m_endpoint->setFont(Fonts::system(11));
    m_endpoint->setPlaceholderText(LRCLIBClient::defaultEndpoint().toString());
    m_endpoint->installEventFilter(this);
    endpoint->addWidget(m_endpoint, 1);
    endpoint->addWidget(m_resetEndpoint);

    auto *help = new ThemedLabel(L("兼容 LRCLIB 接口；也可填直接返回 LRC 文本的地址"), 10.5, QFont::Normal,
        ThemedLabel::muted(0.45, 0.62));
    help->setWraps(true);
    rows()->addWidget(help);
    m_endpointNotice->setWraps(true);
    m_endpointNotice->hide();
    rows()->addWidget(m_endpointNotice);

    QHBoxLayout *opacity = addRow(10);
    opacity->addWidget(rowLabel(L("悬停背景不透明度"), 120));
    m_opacity->setRange(int(0.05 * opacitySteps), int(0.9 * opacitySteps));
    m_opacity->setFocusPolicy(Qt::NoFocus);
    opacity->addWidget(m_opacity, 1);
    m_opacityText->setFixedWidth(36);
    m_opacityText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    opacity->addWidget(m_opacityText);

    rows()->addWidget(m_outline);

    QHBoxLayout *lineMode = addRow(10);
    lineMode->addWidget(rowLabel(L("显示行数"), 92));
    lineMode->addWidget(m_lineMode);
    lineMode->addStretch(1);

    m_endpoint->setText(m_model.settings().lyricsEndpoint.value_or(QString()));
    connect(m_online, &QCheckBox::clicked, this, &LyricsSettingsCard::setOnline);
    connect(m_endpoint, &QLineEdit::editingFinished, this, &LyricsSettingsCard::saveEndpoint);
    connect(m_endpoint, &QLineEdit::textChanged, this, &LyricsSettingsCard::refreshResetButton);
    connect(m_resetEndpoint, &QPushButton::clicked, this, &LyricsSettingsCard::resetEndpoint);
    connect(m_opacity, &QSlider::valueChanged, this,
        [this](int value) { m_model.setLyricsOpacity(double(value) / opacitySteps); });
    connect(m_outline, &QCheckBox::clicked, this, [this](bool outline) {
        m_model.changeStoredSetting([outline](AppSettings &settings) { settings.lyricsOutline = outline; });
    });
    connect(m_lineMode, &SegmentedPicker::picked, this, [this](const QString &mode) {
        m_model.changeStoredSetting([&mode](AppSettings &settings) { settings.lyricsLineMode = mode; });
    });
    connect(&m_model, &AppModel::settingsChanged, this, &LyricsSettingsCard::refresh);
    refresh();
}

void LyricsSettingsCard::refresh()
{
    const AppSettings &settings = m_model.settings();
    m_online->setChecked(settings.onlineLyricsEnabled);
    const QSignalBlocker quiet(m_opacity);
    if (!m_opacity->isSliderDown())
        m_opacity->setValue(int(std::lround(settings.lyricsOpacity * opacitySteps)));
    m_opacityText->setText(Lf("%lld%", qint64(std::lround(settings.lyricsOpacity * 100))));
    m_outline->setChecked(settings.lyricsOutline);
    m_lineMode->setValue(settings.lyricsLineMode);
    refreshResetButton();
}

void LyricsSettingsCard::setOnline(bool enabled)
{
    if (!m_model.changeStoredSetting([enabled](AppSettings &settings) { settings.onlineLyricsEnabled = enabled; }))
        return;
    // Switching on looks again; switching off keeps what is shown.
    if (enabled)
        m_model.retryLyrics();
}

void LyricsSettingsCard::saveEndpoint()
{
    const QString trimmed = m_endpoint->text().trimmed();
    const std::optional<QString> refusal =
        m_model.setLyricsEndpoint(trimmed.isEmpty() ? std::nullopt : std::optional(trimmed));
    m_endpointNotice->setText(refusal.value_or(QString()));
    m_endpointNotice->setVisible(refusal.has_value());
    if (!refusal)
        m_endpoint->setText(m_model.settings().lyricsEndpoint.value_or(QString()));
}

void LyricsSettingsCard::resetEndpoint()
{
    m_endpoint->clear();
    m_endpointNotice->hide();
    m_endpointNotice->clear();
    m_model.setLyricsEndpoint(std::nullopt);
    refreshResetButton();
}

void LyricsSettingsCard::refreshResetButton()
{
    m_resetEndpoint->setEnabled(m_model.settings().lyricsEndpoint || !m_endpoint->text().trimmed().isEmpty());
}

bool LyricsSettingsCard::eventFilter(QObject *watched, QEvent *event)
{
    // Return applies the field and stays with it, rather than reaching the sheet's default button.
    if (watched == m_endpoint && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            saveEndpoint();
            return true;
        }
    }
    return SettingsCard::eventFilter(watched, event);
}

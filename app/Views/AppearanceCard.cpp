#include "AppearanceCard.h"

#include "PresetSwatch.h"
#include "SegmentedPicker.h"
#include "SettingSwitch.h"
#include "SettingsIcons.h"
#include "ThemedLabel.h"
#include "Localization.h"
#include "Theme/ThemeRGB.h"
#include "Theme/ThemeSettings.h"
#include "UI/AppModel.h"
#include "UI/Fonts.h"
#include "UI/ThemeEnvironment.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

ThemedLabel *rowLabel(const QString &text)
{
    auto *label = new ThemedLabel(text, 11.5, QFont::Normal, [](const ThemePalette &palette) {
        QColor colour = palette.text;
        colour.setAlphaF(0.75f);
        return colour;
    });
    label->setFixedWidth(92);
    return label;
}

class Hairline final : public QWidget
{
public:
    Hairline() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), ThemeEnvironment::theme(this).hairline); }
};

// The colour well: the colour the card reports, in a rounded frame.
class AccentWell final : public QPushButton
{
public:
    explicit AccentWell(const AppearanceCard &card)
        : m_card(card)
    {
        setFixedSize(44, 22);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ThemePalette palette = ThemeEnvironment::theme(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(palette.hairline, 1));
        painter.setBrush(palette.raisedFill);
        painter.drawRoundedRect(frame, 6, 6);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_card.accentColour());
        painter.drawRoundedRect(frame.adjusted(3, 3, -3, -3), 4, 4);
    }

private:
    const AppearanceCard &m_card;
};

// "Aa" in the on-accent colour on the accent: how text reads on the accent.
class AccentSample final : public QWidget
{
public:
    AccentSample()
    {
        setFixedSize(28, 22);
        setToolTip(L("使用强调色时的文字对比度"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ThemePalette palette = ThemeEnvironment::theme(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.accent);
        painter.drawRoundedRect(QRectF(rect()), 6, 6);
        painter.setPen(palette.onAccent);
        painter.setFont(Fonts::system(11, QFont::Bold));
        painter.drawText(rect(), Qt::AlignCenter, L("Aa"));
    }
};

QList<SegmentedPicker::Segment> modeSegments()
{
    QList<SegmentedPicker::Segment> segments;
    for (const ThemeMode &mode : ThemeMode::allCases())
        segments.append({mode.displayName(), mode.rawValue()});
    return segments;
}

} // namespace

AppearanceCard::AppearanceCard(AppModel &model, QWidget *parent)
    : SettingsCard(SettingsIcons::paintPalette(18, 2.0), L("外观"), parent)
    , m_model(model)
    , m_language(new SegmentedPicker({{L("跟随系统"), QStringLiteral("system")}, {L("中文"), QStringLiteral("zh")},
                                         {L("English"), QStringLiteral("en")}},
          240))
    , m_mode(new SegmentedPicker(modeSegments(), 240))
    , m_accentWell(new AccentWell(*this))
    , m_accentSample(new AccentSample)
    , m_resetAccent(new QPushButton(L("恢复默认")))
    , m_rowStyle(new SegmentedPicker({{L("序号"), QStringLiteral("index")}, {L("封面"), QStringLiteral("cover")}}, 140))
    , m_spectrum(new SettingSwitch(L("在播放条底部显示频谱")))
    , m_capture(new SettingSwitch(L("在屏幕录制中隐藏窗口")))
    , m_onTop(new SettingSwitch(L("迷你窗始终置顶")))
    , m_keepRunning(new SettingSwitch(L("关闭主窗口后继续运行")))
{
    QHBoxLayout *language = addRow(10);
    language->addWidget(rowLabel(L("语言")));
    language->addWidget(m_language);
    language->addStretch(1);
    rows()->addWidget(new ThemedLabel(L("更改语言后需要重启Quillmere。"), 10.5, QFont::Normal, ThemedLabel::muted(0.45, 0.62)));

    rows()->addWidget(new Hairline);
    rows()->addWidget(new ThemedLabel(L("主题皮肤"), 11, QFont::Normal, ThemedLabel::muted(0.55, 0.62)));
    QHBoxLayout *swatches = addRow(8);
    for (const ThemePreset &preset : ThemePreset::allCases()) {
        auto *swatch = new PresetSwatch(preset);
        m_swatches.append(swatch);
        swatches->addWidget(swatch, 1);
        connect(swatch, &PresetSwatch::clicked, this, [this, preset] { m_model.setThemePreset(preset); });
    }

    QHBoxLayout *mode = addRow(10);
    mode->addWidget(rowLabel(L("明暗模式")));
    mode->addWidget(m_mode);
    mode->addStretch(1);

    QHBoxLayout *accent = addRow(10);
    accent->addWidget(rowLabel(L("自定义强调色")));
    accent->addWidget(m_accentWell);
    accent->addWidget(m_accentSample);
    accent->addWidget(m_resetAccent);
    accent->addStretch(1);

    QHBoxLayout *rowStyle = addRow(10);
    rowStyle->addWidget(rowLabel(L("列表行样式")));
    rowStyle->addWidget(m_rowStyle);
    rowStyle->addStretch(1);

    rows()->addWidget(new Hairline);
    for (QCheckBox *toggle : {m_spectrum, m_capture, m_onTop, m_keepRunning})
        rows()->addWidget(toggle);
    // The stored choice is kept, but no desktop here can keep a window out of captures: the switch
    // stays off, as an "on" would promise what is not done.
    m_capture->setEnabled(false);
    m_capture->setToolTip(L("此桌面环境不支持在屏幕录制中隐藏窗口。"));

    m_accentThrottle.setSingleShot(true);
    m_accentThrottle.setInterval(accentInterval);
    connect(&m_accentThrottle, &QTimer::timeout, this, &AppearanceCard::applyPendingAccent);

    connect(m_language, &SegmentedPicker::picked, this, [this](const QString &code) { m_model.setAppLanguage(code); });
    connect(m_mode, &SegmentedPicker::picked, this, [this](const QString &raw) {
        m_model.setThemeMode(ThemeMode::fromRawValue(raw).value_or(ThemeMode::system));
    });
    connect(m_accentWell, &QPushButton::clicked, this, &AppearanceCard::openAccentDialog);
    connect(m_resetAccent, &QPushButton::clicked, this, [this] { m_model.setCustomAccent(std::nullopt); });
    connect(m_rowStyle, &SegmentedPicker::picked, this, [this](const QString &style) {
        m_model.changeStoredSetting([&style](AppSettings &settings) { settings.rowStyle = style; });
    });
    connect(m_spectrum, &QCheckBox::clicked, this, &AppearanceCard::setShowMainSpectrum);
    connect(m_onTop, &QCheckBox::clicked, this, [this](bool onTop) { m_model.setMiniAlwaysOnTop(onTop); });
    connect(m_keepRunning, &QCheckBox::clicked, this, [this](bool keep) {
        m_model.changeStoredSetting([keep](AppSettings &settings) { settings.keepRunningOnClose = keep; });
    });
    connect(&m_model, &AppModel::settingsChanged, this, &AppearanceCard::refresh);
    refresh();
}

void AppearanceCard::refresh()
{
    const AppSettings &settings = m_model.settings();
    m_language->setValue(settings.appLanguage);
    const ThemePreset selected = ThemeSettings::preset(settings);
    for (PresetSwatch *swatch : std::as_const(m_swatches))
        swatch->setSelected(swatch->preset() == selected);
    m_mode->setValue(ThemeSettings::mode(settings).rawValue());
    m_resetAccent->setEnabled(settings.customAccentHex.has_value());
    m_rowStyle->setValue(ThemeSettings::usesCoverRowStyle(settings) ? QStringLiteral("cover") : QStringLiteral("index"));
    m_spectrum->setChecked(settings.showMainSpectrum);
    m_onTop->setChecked(settings.miniAlwaysOnTop);
    m_keepRunning->setChecked(settings.keepRunningOnClose);
    m_accentWell->update();
    m_accentSample->update();
}

QColor AppearanceCard::accentColour() const
{
    const AppSettings &settings = m_model.settings();
    const QString hex = settings.customAccentHex.value_or(ThemeEnvironment::theme(this).tokens.accentHex);
    const std::optional<ThemeRGB> rgb = ThemeRGB::fromHex(hex);
    if (!rgb)
        return QColor::fromRgbF(0.5f, 0.5f, 0.5f);
    return QColor::fromRgbF(float(rgb->red), float(rgb->green), float(rgb->blue));
}

void AppearanceCard::openAccentDialog()
{
    if (m_accentDialog) {
        m_accentDialog->raise();
        m_accentDialog->activateWindow();
        return;
    }
    auto *dialog = new QColorDialog(accentColour(), window());
    dialog->setObjectName(QStringLiteral("accentDialog"));
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    dialog->setOption(QColorDialog::ShowAlphaChannel, false);
    dialog->setOption(QColorDialog::NoButtons);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(L("自定义强调色"));
    connect(dialog, &QColorDialog::currentColorChanged, this, &AppearanceCard::pickAccent);
    m_accentDialog = dialog;
    dialog->show();
}

void AppearanceCard::pickAccent(const QColor &colour)
{
    m_pendingAccent = ThemeEnvironment::hexString(colour);
    if (!m_accentThrottle.isActive())
        applyPendingAccent();
}

void AppearanceCard::applyPendingAccent()
{
    if (!m_pendingAccent)
        return;
    m_model.setCustomAccent(*std::exchange(m_pendingAccent, std::nullopt));
    // The next colour waits for the interval; the last one of a drag is applied when it ends.
    m_accentThrottle.start();
}

void AppearanceCard::setShowMainSpectrum(bool shows)
{
    if (!m_model.changeStoredSetting([shows](AppSettings &settings) { settings.showMainSpectrum = shows; }))
        return;
    m_model.updateSpectrumAnalysis();
}

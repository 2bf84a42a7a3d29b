#include "SettingsSheet.h"

#include "AppearanceCard.h"
#include "CacheCard.h"
#include "FileStatusCard.h"
#include "LyricsSettingsCard.h"
#include "TagHistoryCard.h"
#include "ThemedLabel.h"
#include "Localization.h"
#include "UI/AppBackground.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int headerHeight = 52;
constexpr int sideInset = 22;

class Hairline final : public QWidget
{
public:
    Hairline() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), ThemeEnvironment::theme(this).hairline); }
};

bool isTextInput(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget)
            || qobject_cast<const QPlainTextEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget))
            return true;
        if (widget->isWindow())
            break;
    }
    return false;
}

} // namespace

SettingsSheet::SettingsSheet(AppModel &model, QWidget *window)
    : QDialog(window)
    , m_model(model)
    , m_done(new QPushButton(L("完成")))
    , m_scroll(new QScrollArea)
    , m_tagHistory(new TagHistoryCard(model))
    , m_fileStatus(new FileStatusCard(model))
    , m_cache(new CacheCard(model))
    , m_lyrics(new LyricsSettingsCard(model))
    , m_appearance(new AppearanceCard(model))
{
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(L("设置"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(sheetSize);

    auto *background = new AppBackground;
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto *column = new QVBoxLayout(background);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QWidget;
    header->setFixedHeight(headerHeight);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(sideInset, 0, sideInset, 0);
    headerRow->addWidget(new ThemedLabel(L("设置"), 17, QFont::DemiBold, [](const ThemePalette &p) { return p.text; }));
    headerRow->addStretch(1);
    headerRow->addWidget(m_done);
    column->addWidget(header);
    column->addWidget(new Hairline);

    auto *cards = new QWidget;
    cards->setAutoFillBackground(false);
    auto *cardColumn = new QVBoxLayout(cards);
    cardColumn->setContentsMargins(sideInset, sideInset, sideInset, sideInset);
    cardColumn->setSpacing(10);
    for (QWidget *card : std::initializer_list<QWidget *>{m_tagHistory, m_fileStatus, m_cache, m_lyrics, m_appearance})
        cardColumn->addWidget(card);
    cardColumn->addStretch(1);
    m_scroll->setWidget(cards);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->viewport()->setAutoFillBackground(false);
    column->addWidget(m_scroll, 1);

    // Return means "完成" wherever the focus is; the cards' buttons never take it over.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    m_done->setDefault(true);
    connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
    followTheme();
}

void SettingsSheet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_watchingClicks)
        return;
    m_watchingClicks = true;
    m_model.measureTranscodeCache();
    qApp->installEventFilter(this);
    QTimer::singleShot(initialFocusDelay, this, [this] {
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
    });
}

void SettingsSheet::done(int result)
{
    m_lyrics->saveEndpoint();
    qApp->removeEventFilter(this);
    m_watchingClicks = false;
    QDialog::done(result);
}

bool SettingsSheet::closesOnClickIn(const QWidget *window) const
{
    if (!window || window == this)
        return false;
    // Tool windows, dialogs (the colour dialog, alerts), menus and popups leave the sheet open;
    // only a main window's click closes it.
    return window->windowType() == Qt::Window && qobject_cast<const QMainWindow *>(window);
}

void SettingsSheet::releaseFocusUnlessEditing(QWidget *clicked)
{
    if (isTextInput(clicked))
        return;
    if (QWidget *focused = focusWidget(); focused && isTextInput(focused))
        focused->clearFocus();
}

bool SettingsSheet::eventFilter(QObject *watched, QEvent *event)
{
    // Each press is delivered to the deepest widget first, then perhaps to its parents; both
    // steps below are harmless when repeated. The press itself always goes on.
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        auto *clicked = static_cast<QWidget *>(watched);
        QWidget *window = clicked->window();
        if (window == this)
            releaseFocusUnlessEditing(clicked);
        else if (closesOnClickIn(window))
            QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsSheet::paintEvent(QPaintEvent *event)
{
    // A theme change repaints the windows over the main window; the palette of the standard
    // controls follows here, once per change.
    followTheme();
    QDialog::paintEvent(event);
}

void SettingsSheet::followTheme()
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    if (m_followedTheme == theme)
        return;
    m_followedTheme = theme;
    QPalette colours = palette();
    const QColor field = theme.tokens.isDark ? theme.backgroundBottom.lighter(130) : QColor(Qt::white);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Window, theme.backgroundMiddle);
        colours.setColor(group, QPalette::WindowText, theme.text);
        colours.setColor(group, QPalette::Button, theme.tokens.isDark ? theme.backgroundTop.lighter(150) : QColor(Qt::white));
        colours.setColor(group, QPalette::ButtonText, theme.text);
        colours.setColor(group, QPalette::Base, field);
        colours.setColor(group, QPalette::AlternateBase, field);
        colours.setColor(group, QPalette::Text, theme.text);
        colours.setColor(group, QPalette::Highlight, theme.accent);
        colours.setColor(group, QPalette::HighlightedText, theme.onAccent);
        colours.setColor(group, QPalette::PlaceholderText, QColor(theme.text.red(), theme.text.green(), theme.text.blue(), 110));
        colours.setColor(group, QPalette::Light, theme.hairline);
        colours.setColor(group, QPalette::Midlight, theme.hairline);
        colours.setColor(group, QPalette::Mid, theme.hairline);
        colours.setColor(group, QPalette::Dark, theme.hairline);
    }
    QColor disabledText = theme.text;
    disabledText.setAlphaF(0.35f);
    colours.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    colours.setColor(QPalette::Disabled, QPalette::Text, disabledText);
    colours.setColor(QPalette::Disabled, QPalette::Button, colours.color(QPalette::Active, QPalette::Button));
    setPalette(colours);
}

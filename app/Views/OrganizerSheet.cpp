#include "OrganizerSheet.h"

#include "Localization.h"
#include "OrganizerPreviewView.h"
#include "OrganizerPrompts.h"
#include "UI/AppBackground.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QCloseEvent>
#include <QPalette>
#include <QVBoxLayout>

OrganizerSheet::OrganizerSheet(AppModel &model, const QList<Track> &tracks, QWidget *parent,
                               std::shared_ptr<OrganizerPrompts> prompts)
    : QDialog(parent), m_model(model)
{
    setObjectName(QStringLiteral("organizerSheet"));
    setWindowTitle(L("整理文件"));
    setFixedSize(size);
    auto *background = new AppBackground;
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(background);
    auto *content = new QVBoxLayout(background);
    content->setContentsMargins(0, 0, 0, 0);
    m_preview = new OrganizerPreviewView(model, tracks, prompts ? std::move(prompts) : OrganizerPrompts::dialogs(this));
    content->addWidget(m_preview);
    connect(m_preview, &OrganizerPreviewView::dismissRequested, this, &QDialog::accept);
}

void OrganizerSheet::reject()
{
    if (!m_model.fileWorkProgress())
        QDialog::reject();
}

void OrganizerSheet::closeEvent(QCloseEvent *event)
{
    if (m_model.fileWorkProgress())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

namespace {

// The colour a translucent fill shows over an opaque background.
QColor over(const QColor &fill, const QColor &background)
{
    const qreal alpha = fill.alphaF();
    return QColor::fromRgbF(fill.redF() * alpha + background.redF() * (1 - alpha),
                            fill.greenF() * alpha + background.greenF() * (1 - alpha),
                            fill.blueF() * alpha + background.blueF() * (1 - alpha));
}

} // namespace

bool OrganizerSheet::event(QEvent *event)
{
    // A new palette arrives with a repaint of the window; the controls follow before it is drawn.
    if (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Show) {
        const ThemePalette theme = ThemeEnvironment::theme(this);
        if (m_controlTheme != theme)
            applyControlPalette(theme);
    }
    return QDialog::event(event);
}

void OrganizerSheet::applyControlPalette(const ThemePalette &theme)
{
    m_controlTheme = theme;
    const QColor window = theme.backgroundMiddle;
    const QColor control = over(theme.raisedFill, window);
    QColor faded = theme.text;
    faded.setAlphaF(0.35);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, window);
    colours.setColor(QPalette::WindowText, theme.text);
    colours.setColor(QPalette::Button, control);
    colours.setColor(QPalette::ButtonText, theme.text);
    colours.setColor(QPalette::Base, control);
    colours.setColor(QPalette::AlternateBase, window);
    colours.setColor(QPalette::Text, theme.text);
    colours.setColor(QPalette::Highlight, theme.accent);
    colours.setColor(QPalette::HighlightedText, theme.onAccent);
    colours.setColor(QPalette::ToolTipBase, control);
    colours.setColor(QPalette::ToolTipText, theme.text);
    for (const QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        colours.setColor(QPalette::Disabled, role, over(faded, control));
    setPalette(colours);
}

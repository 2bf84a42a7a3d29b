#include "InputMonitor.h"

#include "AppModel.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <QWindow>

namespace {

// Only an ordinary top-level window can be the main window; panels, sheets and dialogs cannot.
InputRules::WindowKind kindOf(const QWidget *window)
{
    if (!window)
        return InputRules::WindowKind::None;
    const bool canBeMain =
        window->windowType() == Qt::Window && !window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus);
    return canBeMain ? InputRules::WindowKind::Main : InputRules::WindowKind::Other;
}

bool takesTyping(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget)
        || qobject_cast<const QPlainTextEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || widget->testAttribute(Qt::WA_InputMethodEnabled);
}

// The widget itself or one of the widgets that hold it, up to its window.
bool isInsideTextField(const QWidget *widget)
{
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (takesTyping(widget))
            return true;
    }
    return false;
}

QWidget *widgetOf(const QWindow &window)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == &window)
            return widget;
    }
    return nullptr;
}

} // namespace

InputMonitor::InputMonitor(AppModel &model, QObject *parent) : QObject(parent), m_model(&model)
{
    qApp->installEventFilter(this);
}

InputMonitor::~InputMonitor()
{
    qApp->removeEventFilter(this);
}

bool InputMonitor::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_model || !watched->isWindowType())
        return false;
    if (event->type() == QEvent::KeyPress)
        return keyPressed(static_cast<const QKeyEvent &>(*event));
    if (event->type() == QEvent::MouseButtonPress) {
        const auto &click = static_cast<const QMouseEvent &>(*event);
        if (click.button() == Qt::LeftButton)
            leftButtonPressed(static_cast<QWindow &>(*watched), click);
    }
    return false;
}

bool InputMonitor::keyPressed(const QKeyEvent &event)
{
    const InputRules::KeyPress press{InputRules::keyOf(event.key(), event.nativeScanCode()), event.modifiers(),
                                     event.isAutoRepeat()};
    InputRules::KeyContext windows;
    windows.modalDialogShown = QApplication::activeModalWidget() != nullptr;
    windows.keyWindow = kindOf(QApplication::activeWindow());
    const QWidget *focus = QApplication::focusWidget();
    windows.textFieldFocused = focus && takesTyping(focus);
    return m_model->handleKeyPress(press, windows);
}

// The click always goes on to what was clicked; ending the search focus only takes the focus
// from the window's widgets first.
void InputMonitor::leftButtonPressed(QWindow &window, const QMouseEvent &event)
{
    QWidget *widget = widgetOf(window);
    InputRules::ClickContext click;
    click.window = kindOf(widget);
    if (widget) {
        QWidget *hit = widget->childAt(event.position().toPoint());
        click.onTextField = isInsideTextField(hit ? hit : widget);
    }
    if (!m_model->handleWindowClick(click) || !widget)
        return;
    if (QWidget *focus = widget->focusWidget())
        focus->clearFocus();
}

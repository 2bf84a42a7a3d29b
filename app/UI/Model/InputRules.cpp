#include "InputRules.h"

namespace InputRules {

namespace {

// The key code of the key in the F position under xkb (evdev code 33 plus 8).
constexpr quint32 xkbKeyCodeF = 41;

constexpr Qt::KeyboardModifiers consideredModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

Key keyOf(int qtKey, quint32 nativeScanCode)
{
    switch (qtKey) {
    case Qt::Key_Escape:
        return Key::Escape;
    case Qt::Key_Space:
        return Key::Space;
    case Qt::Key_Left:
        return Key::Left;
    case Qt::Key_Right:
        return Key::Right;
    default:
        break;
    }
    if (nativeScanCode != 0)
        return nativeScanCode == xkbKeyCodeF ? Key::F : Key::Other;
    return qtKey == Qt::Key_F ? Key::F : Key::Other;
}

KeyAction keyAction(const KeyPress &press, const KeyContext &context)
{
    if (context.modalDialogShown)
        return KeyAction::Pass;
    if (press.key == Key::Escape && context.isSearchFocused)
        return KeyAction::EndSearchFocus;
    if (context.sheetPresented || context.keyWindow != WindowKind::Main || context.isSearchFocused
        || context.textFieldFocused)
        return KeyAction::Pass;

    const Qt::KeyboardModifiers modifiers = press.modifiers & consideredModifiers;
    if (modifiers == Qt::ControlModifier && !press.isAutoRepeat) {
        switch (press.key) {
        case Key::Right:
            return KeyAction::Next;
        case Key::Left:
            return KeyAction::Previous;
        case Key::F:
            return KeyAction::FocusSearch;
        default:
            break;
        }
    }
    // Shortcuts with Ctrl, Alt or Meta belong to the menus.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return KeyAction::Pass;

    switch (press.key) {
    case Key::Right:
        return KeyAction::SeekForward;
    case Key::Left:
        return KeyAction::SeekBackward;
    case Key::Space:
        // A held Space toggles once.
        return press.isAutoRepeat ? KeyAction::Swallow : KeyAction::TogglePlayback;
    default:
        return KeyAction::Pass;
    }
}

bool clickEndsSearchFocus(const ClickContext &context)
{
    return context.isSearchFocused && context.window == WindowKind::Main && !context.onTextField;
}

} // namespace InputRules

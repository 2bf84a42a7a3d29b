#pragma once

#include <QtCore/qnamespace.h>

// What the application's key and mouse monitor does with an event that reaches one of its
// windows, before any widget sees it. Pure rules over what the monitor found out about the
// windows and the model; the monitor itself only gathers the facts and carries out the answer.
//
// The playback keys belong to the main window alone: they keep out of text fields, sheets,
// dialogs and the floating panels. Ctrl plays the part of the command key, Alt of the option key,
// Meta of the control key.
namespace InputRules {

// The keys the monitor knows.
enum class Key { Other, Escape, Space, Left, Right, F };

// Escape, Space and the arrows by their Qt key. F by its place on the keyboard when the platform
// reports xkb key codes, so that Ctrl+F finds the search field under any layout; by its Qt key
// where it does not (scan code 0).
Key keyOf(int qtKey, quint32 nativeScanCode);

struct KeyPress
{
    Key key = Key::Other;
    Qt::KeyboardModifiers modifiers;
    bool isAutoRepeat = false;
};

enum class WindowKind {
    None,
    // A window that can be the main window.
    Main,
    // A floating panel, a sheet or a dialog.
    Other,
};

struct KeyContext
{
    bool modalDialogShown = false;
    bool isSearchFocused = false;
    // The settings sheet, the tag editor or the organizer preview is up.
    bool sheetPresented = false;
    WindowKind keyWindow = WindowKind::None;
    // The key window's focus is in a field that takes typing.
    bool textFieldFocused = false;
};

enum class KeyAction {
    // The event goes on to the windows as if there were no monitor.
    Pass,
    // The event is taken and nothing else happens.
    Swallow,
    EndSearchFocus,
    FocusSearch,
    Previous,
    Next,
    SeekBackward,
    SeekForward,
    TogglePlayback,
};

KeyAction keyAction(const KeyPress &press, const KeyContext &context);

struct ClickContext
{
    bool isSearchFocused = false;
    // The window that was clicked.
    WindowKind window = WindowKind::None;
    // The click lands on a text field or inside one.
    bool onTextField = false;
};

// Whether a click in a window ends the search field's focus. The click itself always goes on to
// what was clicked.
bool clickEndsSearchFocus(const ClickContext &context);

} // namespace InputRules

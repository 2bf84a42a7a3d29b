#include "InputRules.h"

#include <QList>

#include <gtest/gtest.h>

using namespace InputRules;

namespace {

constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Meta = Qt::MetaModifier;

struct KeyCase
{
    const char *name;
    KeyPress press;
    KeyContext context;
    KeyAction action;
};

} // namespace

TEST(InputRulesTest, KeysActOnlyInThePlainMainWindow)
{
    const KeyContext main{.keyWindow = WindowKind::Main};
    const KeyContext searching{.isSearchFocused = true, .keyWindow = WindowKind::Main, .textFieldFocused = true};
    const KeyContext sheet{.sheetPresented = true, .keyWindow = WindowKind::Main};
    const KeyContext modal{.modalDialogShown = true, .keyWindow = WindowKind::Main};
    const KeyContext panel{.keyWindow = WindowKind::Other};
    const KeyContext noWindow{.keyWindow = WindowKind::None};
    const KeyContext textField{.keyWindow = WindowKind::Main, .textFieldFocused = true};
    const KeyContext searchingUnderSheet{.isSearchFocused = true, .sheetPresented = true, .keyWindow = WindowKind::Main};
    const KeyContext searchingUnderModal{.modalDialogShown = true, .isSearchFocused = true, .keyWindow = WindowKind::Main};
    const QList<KeyCase> cases = {
        {"space toggles", {Key::Space, {}, false}, main, KeyAction::TogglePlayback},
        {"held space toggles once", {Key::Space, {}, true}, main, KeyAction::Swallow},
        {"right seeks forward", {Key::Right, {}, false}, main, KeyAction::SeekForward},
        {"held right keeps seeking", {Key::Right, {}, true}, main, KeyAction::SeekForward},
        {"left seeks back", {Key::Left, {}, false}, main, KeyAction::SeekBackward},
        {"shift+right seeks like right", {Key::Right, Shift, false}, main, KeyAction::SeekForward},
        {"shift+space toggles", {Key::Space, Shift, false}, main, KeyAction::TogglePlayback},
        {"ctrl+right: next", {Key::Right, Ctrl, false}, main, KeyAction::Next},
        {"ctrl+left: previous", {Key::Left, Ctrl, false}, main, KeyAction::Previous},
        {"ctrl+f focuses search", {Key::F, Ctrl, false}, main, KeyAction::FocusSearch},
        {"keypad flag is ignored", {Key::Right, Ctrl | Qt::KeypadModifier, false}, main, KeyAction::Next},
        {"held ctrl+right is passed", {Key::Right, Ctrl, true}, main, KeyAction::Pass},
        {"ctrl+shift+right is passed", {Key::Right, Ctrl | Shift, false}, main, KeyAction::Pass},
        {"alt+right is passed", {Key::Right, Alt, false}, main, KeyAction::Pass},
        {"meta+right is passed", {Key::Right, Meta, false}, main, KeyAction::Pass},
        {"ctrl+space is passed", {Key::Space, Ctrl, false}, main, KeyAction::Pass},
        {"plain f is passed", {Key::F, {}, false}, main, KeyAction::Pass},
        {"other keys are passed", {Key::Other, {}, false}, main, KeyAction::Pass},
        {"ctrl+other is passed", {Key::Other, Ctrl, false}, main, KeyAction::Pass},
        {"esc without search focus is passed", {Key::Escape, {}, false}, main, KeyAction::Pass},
        {"esc ends the search focus", {Key::Escape, {}, false}, searching, KeyAction::EndSearchFocus},
        {"esc ends it under the settings sheet", {Key::Escape, {}, false}, searchingUnderSheet,
         KeyAction::EndSearchFocus},
        {"esc is passed to a modal dialog", {Key::Escape, {}, false}, searchingUnderModal, KeyAction::Pass},
        {"space types into the search field", {Key::Space, {}, false}, searching, KeyAction::Pass},
        {"ctrl+f again is passed", {Key::F, Ctrl, false}, searching, KeyAction::Pass},
        {"space types into another field", {Key::Space, {}, false}, textField, KeyAction::Pass},
        {"right moves in a text field", {Key::Right, {}, false}, textField, KeyAction::Pass},
        {"space under a sheet", {Key::Space, {}, false}, sheet, KeyAction::Pass},
        {"ctrl+right under a sheet", {Key::Right, Ctrl, false}, sheet, KeyAction::Pass},
        {"space in a modal dialog", {Key::Space, {}, false}, modal, KeyAction::Pass},
        {"space on a panel", {Key::Space, {}, false}, panel, KeyAction::Pass},
        {"ctrl+f on a panel", {Key::F, Ctrl, false}, panel, KeyAction::Pass},
        {"space without a key window", {Key::Space, {}, false}, noWindow, KeyAction::Pass},
    };
    for (const KeyCase &test : cases)
        EXPECT_EQ(keyAction(test.press, test.context), test.action) << test.name;
}

TEST(InputRulesTest, KeysAreKnownByTheirPlaceWhereThePlatformSaysIt)
{
    struct Case
    {
        int qtKey;
        quint32 scanCode;
        Key key;
    };
    for (const Case &test : std::initializer_list<Case>{
             {Qt::Key_Escape, 9, Key::Escape},
             {Qt::Key_Right, 114, Key::Right},
             {Qt::Key_F, 41, Key::F},
             {Qt::Key_F, 0, Key::F},
             // The F position under another layout, and the letter F elsewhere on the keyboard.
             {Qt::Key_U, 41, Key::F},
             {Qt::Key_F, 29, Key::Other},
             {Qt::Key_G, 0, Key::Other},
         })
        EXPECT_EQ(keyOf(test.qtKey, test.scanCode), test.key) << test.qtKey << " " << test.scanCode;
}

TEST(InputRulesTest, AClickEndsTheSearchFocusOnlyOutsideTextFieldsOfTheMainWindow)
{
    struct Case
    {
        ClickContext click;
        bool ends;
    };
    for (const Case &test : std::initializer_list<Case>{
             {{true, WindowKind::Main, false}, true},
             {{true, WindowKind::Main, true}, false},
             {{true, WindowKind::Other, false}, false},
             {{true, WindowKind::None, false}, false},
             {{false, WindowKind::Main, false}, false},
         })
        EXPECT_EQ(clickEndsSearchFocus(test.click), test.ends)
            << test.click.isSearchFocused << int(test.click.window) << test.click.onTextField;
}

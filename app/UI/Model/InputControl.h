#pragma once

#include "InputRules.h"

class AppModel;

// The model's side of the keyboard and search-focus monitors: it completes what the application's
// event filter found out about the windows with the model's own state, asks the rules and carries
// out their answer. Part of the model; lives on the GUI thread.
class InputControl final
{
public:
    explicit InputControl(AppModel &model) : m_model(model) {}

    // True when the model took the key.
    bool handleKeyPress(const InputRules::KeyPress &press, InputRules::KeyContext windows);
    // True when the click ends the search field's focus.
    bool handleWindowClick(InputRules::ClickContext windows);

private:
    void perform(InputRules::KeyAction action);

    AppModel &m_model;
};

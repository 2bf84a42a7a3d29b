#include "InputControl.h"

#include "AppModel.h"

#include <QUuid>

namespace {

constexpr double seekStep = 5.0;

} // namespace

bool InputControl::handleKeyPress(const InputRules::KeyPress &press, InputRules::KeyContext windows)
{
    windows.isSearchFocused = m_model.isSearchFocused();
    windows.sheetPresented =
        m_model.isSettingsPresented() || m_model.tagEditorRequest() || m_model.organizerRequest();
    const InputRules::KeyAction action = InputRules::keyAction(press, windows);
    perform(action);
    return action != InputRules::KeyAction::Pass;
}

bool InputControl::handleWindowClick(InputRules::ClickContext windows)
{
    windows.isSearchFocused = m_model.isSearchFocused();
    if (!InputRules::clickEndsSearchFocus(windows))
        return false;
    m_model.setEndSearchFocusRequest(QUuid::createUuid());
    return true;
}

void InputControl::perform(InputRules::KeyAction action)
{
    PlaybackEngine &engine = m_model.engine();
    // While nothing is loaded the arrows move the position the next start resumes from.
    const auto seekBase = [&] { return engine.duration() > 0 ? engine.position() : m_model.restoredPosition(); };
    switch (action) {
    case InputRules::KeyAction::Pass:
    case InputRules::KeyAction::Swallow:
        break;
    case InputRules::KeyAction::EndSearchFocus:
        m_model.setEndSearchFocusRequest(QUuid::createUuid());
        break;
    case InputRules::KeyAction::FocusSearch:
        m_model.setSearchFocusRequest(QUuid::createUuid());
        break;
    case InputRules::KeyAction::Previous:
        m_model.previous();
        break;
    case InputRules::KeyAction::Next:
        m_model.next();
        break;
    case InputRules::KeyAction::SeekBackward:
        m_model.seek(seekBase() - seekStep);
        break;
    case InputRules::KeyAction::SeekForward:
        m_model.seek(seekBase() + seekStep);
        break;
    case InputRules::KeyAction::TogglePlayback:
        m_model.togglePlayback();
        break;
    }
}

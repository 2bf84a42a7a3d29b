#pragma once

#include "Storage/FileLocation.h"

#include <memory>
#include <optional>

class QWidget;

// The two modal questions of the organizer sheet; the sheet's tests answer them by script.
class OrganizerPrompts
{
public:
    virtual ~OrganizerPrompts() = default;

    // One folder for the organised files; nothing when cancelled.
    virtual std::optional<FileLocation> chooseDestination() = 0;
    // Asked once before a move that crosses file systems; true to go on.
    virtual bool confirmCrossVolumeMove() = 0;

    // The dialogs, shown over the sheet.
    static std::shared_ptr<OrganizerPrompts> dialogs(QWidget *sheet);
};

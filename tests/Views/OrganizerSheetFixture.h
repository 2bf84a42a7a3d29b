#pragma once

#include "GuiSupport/GuiFixture.h"
#include "OrganizerTracks.h"
#include "Views/OrganizerPreviewView.h"
#include "Views/OrganizerPrompts.h"
#include "Views/OrganizerSheet.h"

#include <QTemporaryDir>

#include <memory>

// Answers the sheet's questions by script and counts them.
class ScriptedOrganizerPrompts final : public OrganizerPrompts
{
public:
    std::optional<FileLocation> chooseDestination() override
    {
        return destinations.isEmpty() ? std::nullopt : destinations.takeFirst();
    }
    bool confirmCrossVolumeMove() override
    {
        ++crossVolumeQuestions;
        return !crossVolumeAnswers.isEmpty() && crossVolumeAnswers.takeFirst();
    }

    QList<std::optional<FileLocation>> destinations;
    QList<bool> crossVolumeAnswers;
    int crossVolumeQuestions = 0;
};

// An organizer sheet over the seeded model, with one source folder on /dev/shm (a file system
// other than /tmp's) and one in /tmp.
class OrganizerSheetFixture : public GuiFixture
{
protected:
    ~OrganizerSheetFixture() override { sheet.reset(); }

    OrganizerPreviewView &open(const QList<Track> &tracks);
    // Waits until the newest plan has arrived.
    void waitForPlan();
    // Waits until the running organisation has finished.
    void waitWhileBusy();
    QString inTmp(const QString &name) const { return tmp.filePath(name); }
    QString inShm(const QString &name) const { return shm.filePath(name); }

    QTemporaryDir tmp;
    QTemporaryDir shm{QStringLiteral("/dev/shm/quillmere-organizer-XXXXXX")};
    std::shared_ptr<ScriptedOrganizerPrompts> prompts = std::make_shared<ScriptedOrganizerPrompts>();
    std::unique_ptr<OrganizerSheet> sheet;
    OrganizerPreviewView *view = nullptr;
};

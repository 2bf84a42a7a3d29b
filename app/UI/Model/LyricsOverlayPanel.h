#pragma once

#include <QObject>

// The desktop lyrics overlay's controller as the model drives it. The shell's controller derives
// from it; the model holds it weakly.
class LyricsOverlayPanel : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool isLocked() const = 0;
    // Locked, the panel lets every click through and shows its controls while the pointer is over
    // it; unlocked, the controls go away.
    virtual void setLocked(bool locked) = 0;
    virtual void show() = 0;
    // Orders out the panel and its controls, and stops watching the pointer.
    virtual void hide() = 0;
    // Applies the level, capture and mouse settings again. Capture has no effect on this desktop.
    virtual void applySettings() = 0;
};

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
    virtual void setLocked(bool locked) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Applies the level, capture and mouse settings again.
    virtual void applySettings() = 0;
};

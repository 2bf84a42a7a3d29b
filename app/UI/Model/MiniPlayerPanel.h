#pragma once

#include <QObject>

// The mini player panel's controller as the model drives it. The shell's controller derives from
// it; the model holds it weakly.
class MiniPlayerPanel : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void show() = 0;
    virtual void hide() = 0;
    // Applies the level and capture settings again: the panel stays on top of other windows
    // exactly while miniAlwaysOnTop is on (Qt::WindowStaysOnTopHint); capture has no effect on
    // this desktop.
    virtual void applySettings() = 0;
};

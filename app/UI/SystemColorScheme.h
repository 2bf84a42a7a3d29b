#pragma once

#include <QObject>

// Whether the desktop prefers a dark appearance. Windows in the "system" mode follow it.
class SystemColorScheme : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SystemColorScheme() override;

    virtual bool isDark() const = 0;

signals:
    void isDarkChanged(bool isDark);
};

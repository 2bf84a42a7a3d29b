#pragma once

#include <QObject>

class AppModel;

// Media keys and the now-playing information on the session bus; created last at launch, after
// the tray icon, so that it publishes a model whose panels are already in place.
class MediaKeyController : public QObject
{
    Q_OBJECT

public:
    explicit MediaKeyController(AppModel &model, QObject *parent = nullptr);

private:
    AppModel &m_model;
};

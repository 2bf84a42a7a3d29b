#include "MediaKeyController.h"

MediaKeyController::MediaKeyController(AppModel &model, QObject *parent) : QObject(parent), m_model(model) {}

#pragma once

#include <QWidget>

// An empty, transparent stand-in for a pane of the main window (sidebar, track list, lyrics
// page, player bar) until the pane itself is built; it keeps the layout's proportions.
class PanePlaceholder : public QWidget
{
    Q_OBJECT

public:
    explicit PanePlaceholder(const QString &name, QWidget *parent = nullptr);
};

#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>

class AppModel;

class QWidget;

// Presents the model's three sheets (settings, tag editor, organizer preview) as dialogs over the
// main window while their model property asks for them (the settings sheet not modal, the others
// window-modal), and writes the dismissal back.
class SheetPresenter : public QObject
{
    Q_OBJECT

public:
    SheetPresenter(AppModel &model, QWidget *window);

    QDialog *settingsSheet() const { return m_settings; }
    QDialog *tagEditorSheet() const { return m_tagEditor; }
    QDialog *organizerSheet() const { return m_organizer; }

private:
    void syncSettings();
    void syncTagEditor();
    void syncOrganizer();
    QDialog *present(QDialog *sheet, std::function<void()> onDismiss);

    AppModel &m_model;
    QWidget *m_window;
    QPointer<QDialog> m_settings;
    QPointer<QDialog> m_tagEditor;
    QPointer<QDialog> m_organizer;
};

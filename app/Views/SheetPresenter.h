#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>

class AppModel;

class QWidget;

// Presents the model's three sheets (settings, tag editor, organizer preview) as window-modal
// dialogs over the main window while their model property asks for them, and writes the
// dismissal back. The dialogs' content arrives with each sheet.
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
    // A placeholder dialog for a sheet whose content has not arrived.
    QDialog *openSheet(const QString &name, std::function<void()> onDismiss);
    QDialog *present(QDialog *sheet, std::function<void()> onDismiss);

    AppModel &m_model;
    QWidget *m_window;
    QPointer<QDialog> m_settings;
    QPointer<QDialog> m_tagEditor;
    QPointer<QDialog> m_organizer;
};

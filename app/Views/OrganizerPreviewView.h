#pragma once

#include "OrganizerPlanner.h"

#include "Models/Track.h"
#include "Organize/OrganizePlanItem.h"
#include "Storage/FileLocation.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class AppModel;
class ElidedPathField;
class OrganizerPreviewTable;
class OrganizerPrompts;
class QAbstractButton;
class QComboBox;
class QPushButton;
class SheetText;
class SmallSpinner;

// The content of the organizer sheet: template, destination and move or copy; the summary and
// the preview table of the planned moves; the start button. The plan is worked out on a worker
// and kept until an option changes or the sheet's window is activated again; while the work
// runs the sheet holds on to the confirmed plan and shows the model's progress.
class OrganizerPreviewView : public QWidget
{
    Q_OBJECT

public:
    struct Preset
    {
        QString name; // looked up
        QString templateText;
    };
    static const QList<Preset> &presets();

    OrganizerPreviewView(AppModel &model, const QList<Track> &tracks, std::shared_ptr<OrganizerPrompts> prompts,
                         QWidget *parent = nullptr);

    const QString &templateText() const { return m_template; }
    const FileLocation &destinationRoot() const { return m_destinationRoot; }
    bool copies() const { return m_copy; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    bool isFrozen() const { return m_frozenItems.has_value(); }
    bool isPlanning() const { return m_planner.isPlanning(); }
    // The confirmed list while the work runs, else the newest plan for the current choices.
    const QList<OrganizePlanItem> &items() const;

    void setTemplate(const QString &templateText);
    void setCopies(bool copy);
    void chooseRoot();
    // The action of "开始整理".
    void confirm();

    QComboBox *templatePicker() const { return m_templatePicker; }
    QPushButton *chooseButton() const { return m_chooseButton; }
    QAbstractButton *moveButton() const { return m_moveButton; }
    QAbstractButton *copyButton() const { return m_copyButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *startButton() const { return m_startButton; }
    OrganizerPreviewTable *table() const { return m_table; }
    QString footerText() const;
    QString summaryText() const;

signals:
    // The sheet is to close: cancelled, or the work succeeded.
    void dismissRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeOptions();
    QWidget *makeFooter();
    QWidget *optionLabel(const QString &text);

    // The sheet's tracks as the library holds them now: a file moved by an earlier run is where
    // it went, and a track no longer in the library is left out.
    QList<Track> currentTracks() const;
    void replan();
    void showPlan(const OrganizerPlan &plan);
    void finishRun(const std::optional<QString> &error);
    void refresh();

    AppModel &m_model;
    const QList<Track> m_tracks;
    std::shared_ptr<OrganizerPrompts> m_prompts;
    QString m_template;
    FileLocation m_destinationRoot;
    bool m_copy = false;
    std::optional<QString> m_errorMessage;
    std::optional<QList<OrganizePlanItem>> m_frozenItems;
    OrganizerPlan m_plan;
    OrganizerPlanner m_planner;
    QPointer<QWidget> m_watchedWindow;

    QComboBox *m_templatePicker = nullptr;
    SheetText *m_templateText = nullptr;
    ElidedPathField *m_rootField = nullptr;
    QPushButton *m_chooseButton = nullptr;
    QAbstractButton *m_moveButton = nullptr;
    QAbstractButton *m_copyButton = nullptr;
    SheetText *m_total = nullptr;
    SheetText *m_conflicts = nullptr;
    OrganizerPreviewTable *m_table = nullptr;
    SheetText *m_error = nullptr;
    SmallSpinner *m_spinner = nullptr;
    SheetText *m_footerText = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_startButton = nullptr;
};

#include "SheetPresenter.h"

#include "OrganizerSheet.h"
#include "SettingsSheet.h"
#include "TagEditorView.h"
#include "UI/AppModel.h"

#include <QDialog>

SheetPresenter::SheetPresenter(AppModel &model, QWidget *window)
    : QObject(window)
    , m_model(model)
    , m_window(window)
{
    connect(&m_model, &AppModel::isSettingsPresentedChanged, this, &SheetPresenter::syncSettings);
    connect(&m_model, &AppModel::tagEditorRequestChanged, this, &SheetPresenter::syncTagEditor);
    connect(&m_model, &AppModel::organizerRequestChanged, this, &SheetPresenter::syncOrganizer);
}

QDialog *SheetPresenter::present(QDialog *sheet, std::function<void()> onDismiss)
{
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, this, [onDismiss = std::move(onDismiss)] { onDismiss(); });
    sheet->open();
    return sheet;
}

void SheetPresenter::syncSettings()
{
    const bool wanted = m_model.isSettingsPresented();
    if (wanted && !m_settings) {
        // Not modal: a click in the main window closes it and still counts there.
        auto *sheet = new SettingsSheet(m_model, m_window);
        connect(sheet, &QDialog::finished, this, [this] { m_model.setSettingsPresented(false); });
        sheet->show();
        m_settings = sheet;
    } else if (!wanted && m_settings) {
        m_settings->close();
    }
}

void SheetPresenter::syncTagEditor()
{
    const std::optional<TagEditorRequest> &request = m_model.tagEditorRequest();
    if (request && !m_tagEditor)
        m_tagEditor = present(new TagEditorView(m_model, request->tracks, m_window),
            [this] { m_model.setTagEditorRequest(std::nullopt); });
    else if (!request && m_tagEditor)
        m_tagEditor->close();
}

void SheetPresenter::syncOrganizer()
{
    const bool wanted = m_model.organizerRequest().has_value();
    if (wanted && !m_organizer)
        m_organizer = present(new OrganizerSheet(m_model, m_model.organizerRequest()->tracks, m_window),
            [this] { m_model.setOrganizerRequest(std::nullopt); });
    else if (!wanted && m_organizer)
        m_organizer->close();
}

#include "OrganizerPrompts.h"

#include "Localization.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

// After a modal panel no text field of the key window keeps the focus.
void clearKeyWindowFocus()
{
    if (QWidget *keyWindow = QApplication::activeWindow()) {
        if (QWidget *focused = keyWindow->focusWidget())
            focused->clearFocus();
    }
}

class DialogOrganizerPrompts final : public OrganizerPrompts
{
public:
    explicit DialogOrganizerPrompts(QWidget *sheet) : m_sheet(sheet) {}

    std::optional<FileLocation> chooseDestination() override
    {
        QFileDialog dialog(m_sheet, L("选择整理后的目标文件夹"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::Accept, L("选择"));
        std::optional<FileLocation> chosen;
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = FileLocation::fromLocalFile(dialog.selectedFiles().constFirst());
        clearKeyWindowFocus();
        return chosen;
    }

    bool confirmCrossVolumeMove() override
    {
        QMessageBox box(m_sheet);
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::PlainText);
        box.setText(L("目标位置在另一个磁盘"));
        box.setInformativeText(L("会先把文件复制到目标位置，复制完成后再删除源文件。是否继续？"));
        QPushButton *proceed = box.addButton(L("继续"), QMessageBox::AcceptRole);
        box.addButton(L("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(proceed);
        box.exec();
        clearKeyWindowFocus();
        return box.clickedButton() == proceed;
    }

private:
    QPointer<QWidget> m_sheet;
};

} // namespace

std::shared_ptr<OrganizerPrompts> OrganizerPrompts::dialogs(QWidget *sheet)
{
    return std::make_shared<DialogOrganizerPrompts>(sheet);
}

#include "DialogPrompts.h"

#include "Localization.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

void clearKeyboardFocus()
{
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
}

QMessageBox *plainMessageBox(const QString &title, const QString &message)
{
    auto *box = new QMessageBox(QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setTextFormat(Qt::PlainText);
    box->setText(title);
    box->setInformativeText(message);
    return box;
}

} // namespace

QList<FileLocation> DialogPrompts::chooseFolders(const QString &message, const QString &prompt)
{
    QFileDialog dialog(QApplication::activeWindow(), message);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    // The non-native dialog's views take several folders once they allow extended selection.
    for (QAbstractItemView *view : dialog.findChildren<QAbstractItemView *>())
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QList<FileLocation> folders;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString &path : dialog.selectedFiles())
            folders.append(FileLocation::fromLocalFile(path));
    }
    clearKeyboardFocus();
    return folders;
}

std::optional<FileLocation> DialogPrompts::chooseFile(const QString &message, const QStringList &extensions)
{
    QFileDialog dialog(QApplication::activeWindow(), message);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!extensions.isEmpty()) {
        QStringList patterns;
        for (const QString &extension : extensions)
            patterns.append(QStringLiteral("*.") + extension);
        dialog.setNameFilter(patterns.join(QLatin1Char(' ')));
    }
    std::optional<FileLocation> chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        chosen = FileLocation::fromLocalFile(dialog.selectedFiles().constFirst());
    clearKeyboardFocus();
    return chosen;
}

std::optional<QString> DialogPrompts::askText(const QString &title, const QString &message, const QString &value)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(message);
    dialog.setTextValue(value);
    dialog.setOkButtonText(L("确定"));
    dialog.setCancelButtonText(L("取消"));
    std::optional<QString> text;
    if (dialog.exec() == QDialog::Accepted)
        text = dialog.textValue();
    clearKeyboardFocus();
    return text;
}

bool DialogPrompts::confirm(const QString &title, const QString &message, const QString &confirmButton)
{
    std::unique_ptr<QMessageBox> box(plainMessageBox(title, message));
    QPushButton *confirming = box->addButton(confirmButton, QMessageBox::AcceptRole);
    box->addButton(L("取消"), QMessageBox::RejectRole);
    box->setDefaultButton(confirming);
    box->exec();
    clearKeyboardFocus();
    return box->clickedButton() == confirming;
}

void DialogPrompts::inform(const QString &title, const QString &message)
{
    std::unique_ptr<QMessageBox> box(plainMessageBox(title, message));
    box->addButton(L("确定"), QMessageBox::AcceptRole);
    box->exec();
    clearKeyboardFocus();
}

#include "app/dialogs/filechooser.h"

#include "app/userprofile.h"

#include <QFileDialog>

namespace {
FileChooserHook &Hook()
{
    static FileChooserHook hook;
    return hook;
}

} // namespace

void SetFileChooserHook(FileChooserHook hook)
{
    Hook() = std::move(hook);
}

QString ChooseFile(QWidget *parent, const FileAsk &ask)
{
    if (Hook())
        return Hook()(ask);
    QFileDialog dialog(parent, ask.title, StartFolder(ask.key), ask.filter);
    dialog.setAcceptMode(ask.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(ask.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!ask.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(ask.defaultSuffix);
    if (!ask.initialName.isEmpty())
        dialog.selectFile(ask.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    RememberFolderOf(ask.key, path);
    return path;
}

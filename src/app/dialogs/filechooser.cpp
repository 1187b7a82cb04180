#include "app/dialogs/filechooser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace {
FileChooserHook &Hook()
{
    static FileChooserHook hook;
    return hook;
}

QString StoredFolder(const QString &key)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("PrevPath"));
    return settings.value(key).toString();
}

void StoreFolder(const QString &key, const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir(folder).exists())
        return;
    QSettings settings;
    settings.beginGroup(QStringLiteral("PrevPath"));
    settings.setValue(key, folder + QLatin1Char('/'));
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
    QFileDialog dialog(parent, ask.title, StoredFolder(ask.key), ask.filter);
    dialog.setAcceptMode(ask.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(ask.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!ask.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(ask.defaultSuffix);
    if (!ask.initialName.isEmpty())
        dialog.selectFile(ask.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    StoreFolder(ask.key, path);
    return path;
}

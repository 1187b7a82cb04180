#include "app/dialogs/filedialogex.h"

#include "app/framework/msgbox.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QSettings Profile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
}
const QString kSection = QStringLiteral("PrevPath");
} // namespace

CFileDialogEx::CFileDialogEx(bool open, const QString &key, const QString &fileName, const QString &filter,
                             QWidget *parent)
    : QFileDialog(parent), m_strKey(key)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    setNameFilter(filter);
    QString folder = StoredFolder(key);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        setDirectory(folder);
    if (!fileName.isEmpty())
        selectFile(fileName);
}

QString CFileDialogEx::StoredFolder(const QString &key)
{
    QSettings profile = Profile();
    return profile.value(kSection + u'/' + key).toString();
}

QString CFileDialogEx::Run()
{
    if (RunModal(this) != QDialog::Accepted)
        return {};
    QStringList files = selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return {};
    QString path = files.first();
    QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir()) {
        QSettings profile = Profile();
        profile.setValue(kSection + u'/' + m_strKey, QDir::toNativeSeparators(folder) + QDir::separator());
        profile.sync();
    }
    return path;
}

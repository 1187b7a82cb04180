#include "app/dialogs/filedialogex.h"

#include "app/framework/msgbox.h"
#include "app/userprofile.h"

#include <QFileInfo>

FileDialogEx::FileDialogEx(bool open, const QString &key, const QString &defaultSuffix, const QString &fileName,
                           const QString &filter, QWidget *parent)
    : QFileDialog(parent), m_strKey(key), m_strSuffix(defaultSuffix)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!filter.isEmpty())
        setNameFilter(filter);
    if (!defaultSuffix.isEmpty())
        setDefaultSuffix(defaultSuffix);
    setDirectory(StartFolder(key));
    if (!fileName.isEmpty())
        selectFile(fileName);
}

QString FileDialogEx::StoredFolder(const QString &key)
{
    return RememberedFolder(key);
}

QString FileDialogEx::DoModal()
{
    if (RunModal(this) != QDialog::Accepted)
        return QString();
    const QStringList files = selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return QString();
    QString path = files.front();
    QFileInfo info(path);
    if (acceptMode() == QFileDialog::AcceptSave && !m_strSuffix.isEmpty() && info.suffix().isEmpty())
        path += QLatin1Char('.') + m_strSuffix;
    RememberFolderOf(m_strKey, path);
    return path;
}

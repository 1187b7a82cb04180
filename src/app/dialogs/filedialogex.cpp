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

QString EntryOf(const QString &key)
{
    // A key such as "CCfgPageLog::OnClickMenu_EXPORT" is kept as one entry.
    return QStringLiteral("PrevPath/") + QString(key).replace(QLatin1Char('/'), QLatin1Char('_'));
}
} // namespace

CFileDialogEx::CFileDialogEx(bool open, const QString &key, const QString &defaultSuffix, const QString &fileName,
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
    QString folder = StoredFolder(key);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        setDirectory(folder);
    if (!fileName.isEmpty())
        selectFile(fileName);
}

QString CFileDialogEx::StoredFolder(const QString &key)
{
    return Profile().value(EntryOf(key)).toString();
}

QString CFileDialogEx::DoModal()
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
    QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir()) {
        QSettings profile = Profile();
        profile.setValue(EntryOf(m_strKey), QDir::toNativeSeparators(folder));
    }
    return path;
}

#include "app/userprofile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kOrganisation = QStringLiteral("Oramek");
const QString kApplication = QStringLiteral("Pylvex");

QString EntryOf(const QString &key)
{
    // A key such as "CCfgPageLog::OnClickMenu_EXPORT" is kept as one entry.
    return QStringLiteral("PrevPath/") + QString(key).replace(QLatin1Char('/'), QLatin1Char('_'));
}
} // namespace

QSettings UserProfile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kApplication);
}

QString RememberedFolder(const QString &key)
{
    return UserProfile().value(EntryOf(key)).toString();
}

void RememberFolderOf(const QString &key, const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (path.isEmpty() || !QFileInfo(folder).isDir())
        return;
    QSettings profile = UserProfile();
    profile.setValue(EntryOf(key), QDir::toNativeSeparators(folder));
}

QString StartFolder(const QString &key)
{
    const QString remembered = RememberedFolder(key);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void AdoptStrayProfile()
{
    QSettings stray(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    const QString strayPath = stray.fileName();
    if (strayPath == UserProfile().fileName() || !QFileInfo::exists(strayPath))
        return;
    QSettings profile = UserProfile();
    for (const QString &key : stray.allKeys()) {
        if (!profile.contains(key))
            profile.setValue(key, stray.value(key));
    }
    profile.sync();
    if (profile.status() == QSettings::NoError)
        QFile::remove(strayPath);
}

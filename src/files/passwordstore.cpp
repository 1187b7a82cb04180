#include "files/passwordstore.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <utility>

namespace {
// A stored digest is 32 characters; anything much longer is not read.
constexpr qint64 kMaxLine = 256;

QSettings Profile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
}

QString ProfileKey()
{
    return QStringLiteral("IniProfile/") + QString::fromLatin1(PasswordStore::kProfileEntry);
}

bool WriteProfile(const QString &value, bool remove)
{
    QSettings profile(Profile());
    if (remove)
        profile.remove(ProfileKey());
    else
        profile.setValue(ProfileKey(), value);
    profile.sync();
    return profile.status() == QSettings::NoError;
}
} // namespace

PasswordStore::PasswordStore(QString folder) : m_folder(std::move(folder)) {}

QString PasswordStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString PasswordStore::FilePath() const
{
    if (m_folder.isEmpty())
        return {};
    return QDir(m_folder).filePath(QString::fromLatin1(kFileName));
}

StoredPassword PasswordStore::Read() const
{
    StoredPassword stored;
    stored.profileCopy = Profile().value(ProfileKey()).toString().toStdString();
    if (m_folder.isEmpty())
        return stored;
    QFile file(FilePath());
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray line = file.readLine(kMaxLine);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        stored.fileCopy = line.toStdString();
    }
    return stored;
}

bool PasswordStore::Store(std::string_view password) const
{
    const QString profileDigest = QString::fromStdString(PasswordDigest(password, kPasswordSeedProfile));
    const QByteArray fileDigest = QByteArray::fromStdString(PasswordDigest(password, kPasswordSeedFile));
    if (m_folder.isEmpty())
        return WriteProfile(profileDigest, false);

    QSaveFile file(FilePath());
    if (!QDir().mkpath(m_folder) || !file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(fileDigest) != fileDigest.size()) {
        file.cancelWriting();
        return false;
    }
    QSettings before(Profile());
    const bool hadProfile = before.contains(ProfileKey());
    const QString oldProfile = before.value(ProfileKey()).toString();
    if (!WriteProfile(profileDigest, false)) {
        file.cancelWriting();
        WriteProfile(oldProfile, !hadProfile);
        return false;
    }
    if (!file.commit()) {
        WriteProfile(oldProfile, !hadProfile);
        return false;
    }
    return true;
}

PasswordVerdict PasswordStore::Check(std::string_view password) const
{
    return CheckPassword(password, Read());
}

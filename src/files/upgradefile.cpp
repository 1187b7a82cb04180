#include "files/upgradefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

QString UpgradeFileError(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return QCoreApplication::translate("UpgradeFile", "升级文件不能为空！");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return QString();
}

#include "files/upgradefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

QString UpgradeFileError(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return QCoreApplication::translate("UpgradeFile", "升级文件不能为空！");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return QString();
}

std::optional<std::string> YModemAnnouncedName(const QString &path)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return std::nullopt;
    const QByteArray bytes = encoder.encode(path);
    // A character GBK lacks comes out as a stand-in: only a name that reads
    // back unchanged is carried.
    QStringDecoder decoder("GBK");
    const QString back = decoder.decode(bytes);
    if (encoder.hasError() || decoder.hasError() || back != path)
        return std::nullopt;
    return bytes.toStdString();
}

QString YModemNameRefusal(const QString &path)
{
    QString lacking;
    for (char32_t point : path.toUcs4()) {
        const QString one = QString::fromUcs4(&point, 1);
        if (!YModemAnnouncedName(one) && !lacking.contains(one))
            lacking += one;
    }
    return QCoreApplication::translate("UpgradeFile",
                                       "错误：文件名含有板卡线路上的 GBK 编码无法表示的字符（%1），不发送，"
                                       "请把文件改名或放到只含中英文字符的路径下")
        .arg(lacking.isEmpty() ? path : lacking);
}

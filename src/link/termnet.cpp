#include "link/termnet.h"

#include <QCoreApplication>

namespace {

struct FailureText {
    QAbstractSocket::SocketError error;
    const char *text;
};

const FailureText kFailureTexts[] = {
    {QAbstractSocket::ConnectionRefusedError, QT_TRANSLATE_NOOP("NetLink", "连接被拒绝")},
    {QAbstractSocket::SocketTimeoutError, QT_TRANSLATE_NOOP("NetLink", "建立连接超时")},
    {QAbstractSocket::HostNotFoundError, QT_TRANSLATE_NOOP("NetLink", "无效地址")},
    {QAbstractSocket::NetworkError, QT_TRANSLATE_NOOP("NetLink", "地址不可及")},
    {QAbstractSocket::AddressInUseError, QT_TRANSLATE_NOOP("NetLink", "地址被占用")},
    {QAbstractSocket::SocketAddressNotAvailableError, QT_TRANSLATE_NOOP("NetLink", "地址本机不可用")},
    {QAbstractSocket::SocketResourceError, QT_TRANSLATE_NOOP("NetLink", "套接字内存不足")},
    {QAbstractSocket::UnsupportedSocketOperationError, QT_TRANSLATE_NOOP("NetLink", "无效参数")},
    {QAbstractSocket::SocketAccessError, QT_TRANSLATE_NOOP("NetLink", "无效参数")},
};

} // namespace

QString PeerText(const QHostAddress &address, quint16 port)
{
    bool isV4 = false;
    quint32 v4 = address.toIPv4Address(&isV4);
    QString host = isV4 ? QHostAddress(v4).toString() : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QString NetFailureText(QAbstractSocket::SocketError error)
{
    for (const FailureText &f : kFailureTexts) {
        if (f.error == error)
            return QCoreApplication::translate("NetLink", f.text);
    }
    return QCoreApplication::translate("NetLink", "错误码-%1").arg(static_cast<int>(error));
}

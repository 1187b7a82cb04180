#include "files/fileerror.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace {
struct ErrorReason {
    int error;
    const char *text;
};

// The failures a user can do something about, each with what it means here.
constexpr ErrorReason kReasons[] = {
    {EACCES, QT_TRANSLATE_NOOP("FileError", "没有写入权限")},
    {EPERM, QT_TRANSLATE_NOOP("FileError", "没有写入权限")},
    {EROFS, QT_TRANSLATE_NOOP("FileError", "所在的文件系统是只读的")},
    {ENOSPC, QT_TRANSLATE_NOOP("FileError", "磁盘已满")},
    {EDQUOT, QT_TRANSLATE_NOOP("FileError", "超出了磁盘配额")},
    {ENOENT, QT_TRANSLATE_NOOP("FileError", "文件夹不存在")},
    {ENOTDIR, QT_TRANSLATE_NOOP("FileError", "路径中有一段不是文件夹")},
    {EISDIR, QT_TRANSLATE_NOOP("FileError", "同名的文件夹占用了这个文件名")},
    {EBUSY, QT_TRANSLATE_NOOP("FileError", "文件正被占用")},
    {ETXTBSY, QT_TRANSLATE_NOOP("FileError", "文件正被占用")},
    {EMFILE, QT_TRANSLATE_NOOP("FileError", "打开的文件太多")},
    {ENFILE, QT_TRANSLATE_NOOP("FileError", "打开的文件太多")},
    {EIO, QT_TRANSLATE_NOOP("FileError", "磁盘读写出错")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("FileError", "路径太长")},
    {EFBIG, QT_TRANSLATE_NOOP("FileError", "文件太大")},
};
} // namespace

QString FileErrorReason(int error)
{
    if (error == 0)
        return QCoreApplication::translate("FileError", "无法打开或写入文件");
    for (const ErrorReason &r : kReasons)
        if (r.error == error)
            return QCoreApplication::translate("FileError", r.text);
    return QCoreApplication::translate("FileError", "系统错误 %1：%2")
        .arg(error)
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

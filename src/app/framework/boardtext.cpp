#include "app/framework/boardtext.h"

#include <QCoreApplication>

QString BoardText(const char *text)
{
    return QCoreApplication::translate("BoardText", text);
}

QString BoardNames(const std::vector<const char *> &names, const QString &separator)
{
    QString joined;
    for (const char *name : names) {
        if (!joined.isEmpty())
            joined += separator;
        joined += BoardText(name);
    }
    return joined;
}

#include "files/upgraderowtext.h"

#include <QCoreApplication>

QString UpgradeRowText(const char *context, const UpgradeRow &row)
{
    const QString pattern = QCoreApplication::translate(context, row.text);
    std::vector<std::string> args = row.args;
    for (std::size_t i = 0; i < args.size() && i < 32; ++i)
        if (row.marked & (1u << i))
            args[i] = QCoreApplication::translate(context, args[i].c_str()).toStdString();
    return QString::fromStdString(FillRow(pattern.toStdString(), args));
}

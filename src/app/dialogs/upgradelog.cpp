#include "app/dialogs/upgradelog.h"

#include "app/widgets/userlistctrl.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTime>

QString UpgradeRowText(const char *context, const UpgradeRow &row)
{
    const QString pattern = QCoreApplication::translate(context, row.text);
    std::vector<std::string> args = row.args;
    for (std::size_t i = 0; i < args.size() && i < 32; ++i)
        if (row.marked & (1u << i))
            args[i] = QCoreApplication::translate(context, args[i].c_str()).toStdString();
    return QString::fromStdString(FillRow(pattern.toStdString(), args));
}

void AppendUpgradeRow(CUserListCtrl *list, const QCheckBox *follow, QStringList leading, const QString &text)
{
    leading << QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) << text;
    list->AppendRow(leading);
    if (follow && follow->isChecked() && list->m_bShowLatest)
        list->ScrollToNewest();
}

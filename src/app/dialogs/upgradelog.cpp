#include "app/dialogs/upgradelog.h"

#include "app/widgets/userlistctrl.h"

#include <QCheckBox>
#include <QTime>

void AppendUpgradeRow(UserListCtrl *list, const QCheckBox *follow, QStringList leading, const QString &text)
{
    leading << QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) << text;
    list->AppendRow(leading);
    if (follow && follow->isChecked() && list->m_bShowLatest)
        list->ScrollToNewest();
}

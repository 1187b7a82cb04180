#include "app/widgets/logmenu.h"

#include "app/widgets/listctrlbase.h"

#include <QCoreApplication>
#include <QMenu>

void FillLogListMenu(QMenu &menu, ListCtrlBase *list, QObject *context, const LogMenuHandlers &handlers)
{
    auto tr = [](const char *text) { return QCoreApplication::translate("LogMenu", text); };
    menu.setTitle(tr("日志控件"));
    QAction *copy = menu.addAction(tr("复制（&C）"), context, [list] { list->CopySelectedRows(); });
    copy->setEnabled(list->GetSelectedCount() > 0);
    menu.addAction(tr("导出日志（&E）"), context, handlers.exportList);
    menu.addAction(tr("清空日志（&D）"), context, [list] { list->DeleteAllItems(); });
    QAction *latest = menu.addAction(tr("显示最新（&L）"), context, handlers.toggleLatest);
    latest->setCheckable(true);
    latest->setChecked(handlers.showLatest);
}

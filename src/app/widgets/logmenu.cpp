#include "app/widgets/logmenu.h"

#include "app/widgets/listctrlbase.h"

#include <QCoreApplication>
#include <QMenu>

namespace {
struct LogMenuText {
    Q_DECLARE_TR_FUNCTIONS(LogMenu)
};
} // namespace

void FillLogListMenu(QMenu &menu, ListCtrlBase *list, QObject *context, const LogMenuHandlers &handlers)
{
    menu.setTitle(LogMenuText::tr("日志控件"));
    QAction *copy = menu.addAction(LogMenuText::tr("复制（&C）"), context, [list] { list->CopySelectedRows(); });
    copy->setEnabled(list->GetSelectedCount() > 0);
    menu.addAction(LogMenuText::tr("导出日志（&E）"), context, handlers.exportList);
    menu.addAction(LogMenuText::tr("清空日志（&D）"), context, [list] { list->DeleteAllItems(); });
    QAction *latest = menu.addAction(LogMenuText::tr("显示最新（&L）"), context, handlers.toggleLatest);
    latest->setCheckable(true);
    latest->setChecked(handlers.showLatest);
}

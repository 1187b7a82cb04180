#include "app/pages/alarmprotectionpage.h"

AlarmProtectionPage::AlarmProtectionPage(PageHost *host, QWidget *parent)
    : ParamRowPage(host, tr("报警与保护"), AlarmPageRows(), 2, parent, PageAccess::Internal)
{
}

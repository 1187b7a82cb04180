#include "app/pages/alarmprotectionpage.h"

AlarmProtectionPage::AlarmProtectionPage(PageHost *host, QWidget *parent)
    : ParamRowPage(host, PAGE_THR, tr("报警与保护"), AlarmPageRows(), 2, parent)
{
}

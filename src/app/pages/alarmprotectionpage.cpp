#include "app/pages/alarmprotectionpage.h"

AlarmProtectionPage::AlarmProtectionPage(PageHost *host, QWidget *parent)
    : ParamRowPage(host, PAGE_THR, QStringLiteral("报警与保护"), AlarmPageRows(), 2, parent)
{
}

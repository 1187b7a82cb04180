#include "app/pages/cfgpagethr.h"

CCfgPageThr::CCfgPageThr(CPageHost *host, QWidget *parent)
    : CParamRowPage(host, PAGE_THR, QStringLiteral("报警与保护"), AlarmPageRows(), 2, parent)
{
}

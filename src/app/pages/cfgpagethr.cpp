#include "app/pages/cfgpagethr.h"

CCfgPageThr::CCfgPageThr(CPylvexDlg *mainDlg, QWidget *parent)
    : CParamRowPage(mainDlg, PAGE_THR, QStringLiteral("报警与保护"), AlarmPageRows(), 2, parent)
{
}

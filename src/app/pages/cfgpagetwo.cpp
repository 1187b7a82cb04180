#include "app/pages/cfgpagetwo.h"

CCfgPageTwo::CCfgPageTwo(CPylvexDlg *mainDlg, QWidget *parent)
    : CParamRowPage(mainDlg, PAGE_TWO, QStringLiteral("唤醒与门限"), WakeupPageRows(), 1, parent)
{
}

#include "app/pages/cfgpagetwo.h"

CCfgPageTwo::CCfgPageTwo(CPageHost *host, QWidget *parent)
    : CParamRowPage(host, PAGE_TWO, QStringLiteral("唤醒与门限"), WakeupPageRows(), 1, parent)
{
}

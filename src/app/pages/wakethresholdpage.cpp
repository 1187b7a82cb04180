#include "app/pages/wakethresholdpage.h"

WakeThresholdPage::WakeThresholdPage(PageHost *host, QWidget *parent)
    : ParamRowPage(host, PAGE_TWO, tr("唤醒与门限"), WakeupPageRows(), 1, parent)
{
}

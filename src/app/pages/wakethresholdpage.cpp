#include "app/pages/wakethresholdpage.h"

WakeThresholdPage::WakeThresholdPage(PageHost *host, QWidget *parent)
    : ParamRowPage(host, tr("唤醒与门限"), WakeupPageRows(), 1, parent, PageAccess::Internal)
{
}

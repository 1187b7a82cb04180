// "报警与保护": alarm, protection and recovery thresholds of current, cell and
// pack voltage and charge and discharge temperature. An internal page.
#pragma once

#include "app/pages/paramrows.h"

class AlarmProtectionPage : public ParamRowPage {
    Q_OBJECT
public:
    explicit AlarmProtectionPage(PageHost *host, QWidget *parent = nullptr);
};

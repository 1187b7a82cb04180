// "唤醒与门限": wake-up, standby, balancing, current-threshold, short-circuit
// and MOS-temperature parameters. An internal page.
#pragma once

#include "app/pages/paramrows.h"

class WakeThresholdPage : public ParamRowPage {
    Q_OBJECT
public:
    explicit WakeThresholdPage(PageHost *host, QWidget *parent = nullptr);
};

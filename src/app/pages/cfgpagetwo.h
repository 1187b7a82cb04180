// "唤醒与门限": wake-up, standby, balancing, current-threshold, short-circuit
// and MOS-temperature parameters. An internal page.
#pragma once

#include "app/pages/paramrows.h"

class CCfgPageTwo : public CParamRowPage {
    Q_OBJECT
public:
    explicit CCfgPageTwo(CPageHost *host, QWidget *parent = nullptr);
};

// The lists of log rows (system log, battery log): a level icon in column 0 and
// sorting by a click on a column header.
#pragma once

#include "app/widgets/listctrlbase.h"

#include <vector>

class LogListCtrl : public ListCtrlBase {
    Q_OBJECT
public:
    using ListCtrlBase::ListCtrlBase;

    // Eight 16 x 16 images; image k belongs to log level k. The owner installs
    // them with SetImageList.
    static std::vector<QIcon> LevelImageList();
};

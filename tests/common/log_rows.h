// Rows of the system log in widget and end-to-end tests.
#pragma once

#include "app/logmodel.h"
#include "app/pylvexapp.h"

// Rows of the system log list with this title.
inline int LogRowsTitled(const QString &title)
{
    LogModel *model = theApp()->GetLogModel();
    int n = 0;
    for (int r = 0; r < model->rowCount(); ++r)
        n += model->Row(r).title == title ? 1 : 0;
    return n;
}

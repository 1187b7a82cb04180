// The context menu "日志控件" of the log and record lists: copy (only with a
// selection), export, delete every row, show latest (checked while on).
#pragma once

#include <functional>

class ListCtrlBase;
class QMenu;
class QObject;

struct LogMenuHandlers {
    std::function<void()> exportList;
    std::function<void()> toggleLatest;
    bool showLatest = true;
};
void FillLogListMenu(QMenu &menu, ListCtrlBase *list, QObject *context, const LogMenuHandlers &handlers);

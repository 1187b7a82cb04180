// The system log as the parts below the window reach it: a row (level 3
// error, 4 warning, 6 information, 7 debug; written only while that level's
// gate is open) and the gates. The application sets where rows go when it
// starts; without it (a part used alone) rows are dropped.
#pragma once

#include <QString>

#include <functional>

struct SystemLogSink {
    std::function<void(int level, const QString &title, const QString &text)> write;
    std::function<bool(int level)> gateOpen;
};

void SetSystemLogSink(SystemLogSink sink);
void SystemLog(int level, const QString &title, const QString &text);
bool SystemLogGateOpen(int level);

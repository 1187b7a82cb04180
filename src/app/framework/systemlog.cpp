#include "app/framework/systemlog.h"

namespace {
SystemLogSink &Sink()
{
    static SystemLogSink sink;
    return sink;
}
} // namespace

void SetSystemLogSink(SystemLogSink sink)
{
    Sink() = std::move(sink);
}

void SystemLog(int level, const QString &title, const QString &text)
{
    if (Sink().write)
        Sink().write(level, title, text);
}

bool SystemLogGateOpen(int level)
{
    return Sink().gateOpen && Sink().gateOpen(level);
}

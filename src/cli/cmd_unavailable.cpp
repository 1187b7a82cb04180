// upgrade needs the upgrade state machines, which this build does not have
// yet; it refuses with a clear message.
#include "cli/commands.h"

int RunUnavailable(const CliRequest &request)
{
    PrintErr(Tr("pylvexctl %1：此版本尚不支持该子命令").arg(request.command));
    return kExitUsage;
}

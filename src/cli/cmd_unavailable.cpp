// log, records and upgrade need decoders and state machines that this build
// does not have yet; they refuse with a clear message.
#include "cli/commands.h"

int RunUnavailable(const CliRequest &request)
{
    PrintErr(Tr("pylvexctl %1：此版本尚不支持该子命令").arg(request.command));
    return kExitUsage;
}

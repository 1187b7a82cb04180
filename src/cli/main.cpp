// pylvexctl: the board from the command line, for scripts and production
// lines. Results go to standard output, errors to standard error; the exit
// status says what went wrong (0 ok, 1 board, 2 usage, 3 link).
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "lang/language.h"
#include "link/linkcapture.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {
struct Command {
    const char *name;
    int (*run)(const CliRequest &);
};

const Command kCommands[] = {
    {"ports", RunPorts}, {"status", RunStatus}, {"watch", RunWatch},  {"params", RunParams},   {"profile", RunProfile},
    {"clock", RunClock}, {"log", RunLogs},      {"records", RunLogs}, {"upgrade", RunUpgrade},
};

// Runs the subcommand with the link captured into the file (when one is given).
// A capture that cannot be started stops nothing but itself.
int RunCaptured(const CliRequest &request, int (*run)(const CliRequest &))
{
    if (request.common.capture.isEmpty())
        return run(request);
    auto capture = std::make_shared<LinkCapture>();
    if (!capture->Open(request.common.capture)) {
        PrintErr(capture->ErrorText());
        return kExitUsage;
    }
    SetLinkCapture(capture);
    const int status = run(request);
    SetLinkCapture(nullptr);
    if (capture->File().Failed())
        PrintErr(capture->ErrorText());
    else if (request.common.verbose)
        PrintErr(CliText::tr("抓包：%1 个记录，%2 字节，已写入 %3")
                     .arg(capture->File().Records())
                     .arg(capture->File().Size())
                     .arg(request.common.capture));
    return status;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The window's names: its profile, and the folder of its password file.
    QCoreApplication::setOrganizationName(QStringLiteral("Oramek"));
    QCoreApplication::setApplicationName(QStringLiteral("Pylvex"));
    // Messages and help follow --lang, else the locale; JSON keys and exit codes never change.
    lang::Install(lang::FromArguments(QCoreApplication::arguments()).value.value_or(lang::FromEnvironment()));
    // Read again for its message in the language now installed.
    const lang::LanguageArgument language = lang::FromArguments(QCoreApplication::arguments());
    if (!language.error.isEmpty()) {
        PrintErr(language.error);
        return kExitUsage;
    }
    const CliRequest request = ParseCli(QCoreApplication::arguments());
    switch (request.action) {
    case CliRequest::Action::Help: PrintOut(request.text); return kExitOk;
    case CliRequest::Action::Fail: PrintErr(request.text); return kExitUsage;
    case CliRequest::Action::Run: break;
    }
    for (const Command &c : kCommands)
        if (request.command == QLatin1String(c.name))
            return RunCaptured(request, c.run);
    return kExitUsage;
}

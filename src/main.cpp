#include "app/pylvexapp.h"
#include "app/startup/commandline.h"
#include "lang/language.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // --help, --version and a bad command line need no window (nor a display).
    PylvexApp::SetProgramNames();
    const StartupOptions options = ParseStartupOptions(arguments);
    if (options.action != StartupOptions::Action::Run) {
        // The texts in the language asked for (the window's stored choice is
        // the window's: the command line and the locale decide here).
        QCoreApplication core(argc, argv);
        lang::Install(lang::FromArguments(arguments).value.value_or(lang::FromEnvironment()));
        return ReportStartupOptions(ParseStartupOptions(arguments));
    }

    PylvexApp app(argc, argv);
    return app.InitInstance(options);
}

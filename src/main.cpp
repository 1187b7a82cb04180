#include "app/pylvexapp.h"
#include "app/startup/commandline.h"

#include <QStringList>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // --help, --version and a bad command line need no window (nor a display).
    PylvexApp::SetProgramNames();
    const StartupOptions options = ParseStartupOptions(arguments);
    if (options.action != StartupOptions::Action::Run)
        return ReportStartupOptions(options);

    PylvexApp app(argc, argv);
    return app.InitInstance(options);
}

// The floor of the start-up benchmark: a bare window of the toolkit with
// twelve tabs, each holding a label, linked against the widgets library only.
// Prints the same start-up line as the program (see startupprobe.h).
#include "app/startup/startupprobe.h"

#include <QApplication>
#include <QLabel>
#include <QTabWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTabWidget window;
    for (int i = 1; i <= 12; ++i)
        window.addTab(new QLabel(QStringLiteral("page %1").arg(i)), QStringLiteral("tab %1").arg(i));
    window.resize(1000, 700);
    InstallStartupProbe(&window);
    window.show();
    return app.exec();
}

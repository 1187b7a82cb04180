#include "app/pylvexapp.h"
#include "app/pylvexdlg.h"

int main(int argc, char **argv)
{
    CPylvexApp app(argc, argv);
    CPylvexDlg dlg;
    dlg.show();
    return app.exec();
}

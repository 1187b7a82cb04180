#include "app/pylvexdlg.h"

CPylvexDlg::CPylvexDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Pylvex v1.0.1.0"));
    resize(1024, 720);
}

CPylvexDlg::~CPylvexDlg() = default;

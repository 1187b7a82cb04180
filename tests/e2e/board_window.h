// The real main window on a fresh simulated board, over a pseudo-terminal
// (SimHost) or inside the test's process (InProcessBoard).
#pragma once

#include "app/framework/pagebase.h"
#include "app/mainwindow.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "common/inprocess_board.h"
#include "sim/simhost.h"

// Starts the board, puts the page in front and opens the window's port to the
// board, with requests 50 ms apart; false when any step fails.
inline bool OpenAgainstBoard(MainWindow &dlg, SimHost &board, PageBase *page, const SimOptions &options = {})
{
    theApp()->m_nCmdSndInvl = 50; // the window has loaded the stored interval
    QString device;
    if (!page || !board.StartPty(&device, options))
        return false;
    if (!dlg.Sheet()->SetActivePage(page))
        return false;
    return dlg.OpenPortByName(device, true) && dlg.m_bOpenCOM;
}

inline bool OpenAgainstBoard(MainWindow &dlg, InProcessBoard &board, PageBase *page, const SimOptions &options = {})
{
    theApp()->m_nCmdSndInvl = 50; // the window has loaded the stored interval
    if (!page || !board.Attach(dlg.Port(), options))
        return false;
    if (!dlg.Sheet()->SetActivePage(page))
        return false;
    return dlg.OpenPortByName(InProcessBoard::Device(), true) && dlg.m_bOpenCOM;
}

// The sheet of pages: a tab widget whose pages keep the fixed tab order and
// may refuse to become active.
#pragma once

#include "app/framework/pagekind.h"

#include <QTabWidget>

class CCfgPageBase;
class CPageHost;

class CCfgSheet : public QTabWidget {
    Q_OBJECT
public:
    explicit CCfgSheet(QWidget *parent = nullptr);

    // Builds the page (once), registers it with its host (which hands the
    // receive path its routes) and puts its tab in its place of the tab order.
    void AddPage(CCfgPageBase *page);
    // Activates the page unless it refuses; true when it is the active page after.
    bool SetActivePage(CCfgPageBase *page);
    CCfgPageBase *GetActivePage() const;
    CCfgPageBase *PageAt(int index) const;

private:
    void OnCurrentChanged(int index);

    int m_nCurrent = -1;
    bool m_bReverting = false;
};

// Creates every page of the main window, in tab order.
void CreatePages(CPageHost *host, CCfgSheet *sheet);

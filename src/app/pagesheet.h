// The sheet of pages: a tab widget whose pages keep the fixed tab order and
// may refuse to become active.
#pragma once

#include <QTabWidget>

class PageBase;
class InternalModeGate;
class PageHost;

class PageSheet : public QTabWidget {
    Q_OBJECT
public:
    explicit PageSheet(QWidget *parent = nullptr);

    // Builds the page (once), registers it with its host (which hands the
    // receive path its routes) and puts its tab in its place of the tab order.
    void AddPage(PageBase *page);
    // Activates the page unless it refuses; true when it is the active page after.
    bool SetActivePage(PageBase *page);
    PageBase *GetActivePage() const;
    PageBase *PageAt(int index) const;

protected:
    // Keyboard steps through the tabs (Ctrl+Tab, Ctrl+PgDn, the arrows on the
    // tab bar ...) go on past a page that refuses to open.
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnCurrentChanged(int index);
    // A mouse click on a tab (before the activation it leads to).
    void OnTabClicked(int index);
    // The first page from index on (in the direction of the running keyboard
    // step) that accepts activation; -1 when none does. Pages passed over this
    // way leave no locked-page request behind.
    int NextOpenablePage(int index);
    // Runs a key event with the keyboard step it stands for noted.
    template <typename F> void WithKeyStep(const QKeyEvent *event, F &&handle);

    int m_nCurrent = -1;
    bool m_bReverting = false;
    int m_nKeyStep = 0;       // +1 / -1 while a keyboard step runs, else 0
    bool m_bKeyWraps = false; // the step goes round from the last tab to the first
    // The gate of the internal pages, reached through the pages' host.
    InternalModeGate *Gate() const;
    QWidget *m_pPendingBefore = nullptr; // the locked-page request before the step
};

// Creates every page of the main window, in tab order.
void CreatePages(PageHost *host, PageSheet *sheet);

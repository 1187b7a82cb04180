// The gate of the internal pages: locked, a page the user asked for while
// locked (pending), verified. Owned by the main window, reached through the
// host. The customer control page and the password dialogs drive it:
//
//   - An internal page's activation asks AllowActivation: refused and
//     remembered while locked. The next ordinary activation posts
//     WM_SHOW_PAGE (wParam page, lParam 0) to the window, which shows the
//     customer control page and posts it WM_UNLOCK_REQUEST (wParam page).
//   - The customer control page runs the password dialog; on OK it calls
//     SetVerified() and SetUnlockTarget(page), then sends the request to
//     enter internal debugging mode.
//   - The board's acknowledgement (route op OP_ACK_UNLOCK) calls
//     OnBoardConfirmed(): WM_SHOW_PAGE (wParam target, lParam 1) goes to the
//     window, which shows the page; the target is forgotten.
//   - While the window creates its pages every page may be shown
//     (BeginStartup / EndStartup).
#pragma once

#include <QPointer>
#include <QWidget>

class PageBase;

class InternalModeGate {
public:
    // window: where the show requests are posted.
    explicit InternalModeGate(QObject *window) : m_pWindow(window) {}

    bool IsVerified() const { return m_bVerified; }
    // The password was accepted (or a test opens the gate); stays set until the program ends.
    void SetVerified(bool verified = true) { m_bVerified = verified; }

    // The locked page the user asked for last, or null.
    QWidget *PendingPage() const { return m_pPending; }
    void ClearPending() { m_pPending = nullptr; }
    // Puts back the request of before a keyboard step that passed over locked pages.
    void SetPendingPage(QWidget *page) { m_pPending = page; }

    // Asked by every page before it becomes active; false keeps the current page.
    bool AllowActivation(PageBase *page);

    // The page that asks for the password (the customer control page declares
    // itself when it is created); a locked page asked for sends the user there.
    void SetPasswordPage(PageBase *page);
    PageBase *PasswordPage() const;

    // The page to show once the board confirms internal debugging mode.
    void SetUnlockTarget(QWidget *page) { m_pTarget = page; }
    QWidget *UnlockTarget() const { return m_pTarget; }
    // The board confirmed: the target (if any) is shown and forgotten.
    void OnBoardConfirmed();

    // Every page may be shown while the window creates them; afterwards the
    // gate is locked with nothing pending.
    void BeginStartup() { m_bVerified = true; }
    void EndStartup();

private:
    QObject *m_pWindow;
    bool m_bVerified = false;
    QPointer<QWidget> m_pPending;
    QPointer<QWidget> m_pTarget;
    QPointer<QWidget> m_pPasswordPage;
};

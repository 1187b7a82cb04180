// Base of every page of the sheet: the registry of controls by numeric id,
// the host it talks to, activation through the gate of the internal pages,
// the routes it hands the receive path, page messages and timers. Pages
// with parameter rows derive from RowPageBase (rowpagebase.h) instead.
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/framework/ledlamp.h"
#include "app/framework/rxroutes.h"
#include "app/framework/wndtimer.h"

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class PageHost;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Buttons with the same id on every page that has them.
inline constexpr int IDC_SELECT_ALL = 1004; // "全选"
inline constexpr int IDC_READ = 1257;       // "读 取"
inline constexpr int IDC_WRITE = 1315;      // "写 入"
inline constexpr int IDC_CLEAR = 1144;      // "清空"

// Whether a page opens at once or only in the board's internal debugging mode.
enum class PageAccess { Open, Internal };

class PageBase : public QWidget, public CtrlRegistry {
    Q_OBJECT
public:
    // A page declares its caption and whether it is an internal page; its
    // place among the tabs and among the receivers of an answer is the order
    // in which the pages are created.
    PageBase(PageHost *host, const QString &caption, QWidget *parent = nullptr, PageAccess access = PageAccess::Open);
    ~PageBase() override;

    QString Caption() const { return m_strCaption; }
    bool IsInnerPage() const { return m_access == PageAccess::Internal; }
    PageHost *Host() const { return m_pHost; }

    // Builds the page once (OnInitDialog); the sheet calls it when the page is added.
    void InitDialog();
    bool IsInitialised() const { return m_bInitialised; }
    // Asked before the page becomes the active page; false keeps the current page.
    virtual bool OnSetActive();
    // The page stops being the active page (another page was shown).
    virtual void OnKillActive() {}

    // --- the receive path
    // The routes this page serves; the sheet hands them over when it adds the
    // page (the page field is filled in then). Frames of one class and code
    // reach the pages in tab order.
    virtual std::vector<RxRoute> Routes() const { return {}; }
    // An OP_PAGE or OP_PAGE_IF_ACTIVE route of this page: route.tag and
    // route.chk say which; frame from the head on, len bytes.
    virtual void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len);
    // The other board was chosen while this page is in front: "清空" (row
    // pages also put their lamps out). Pages that show no board's values
    // (the repeater and the system log) keep what they show.
    virtual void OnBoardSwitch();
    // A request whose answer takes this route has gone unanswered since the
    // given time (its first unanswered sending). Row pages show it on the
    // route's row; a page whose routes name no row may override it.
    virtual void OnNoAnswer(const RxRoute &route, const QDateTime &since);

    // --- controls by id (the registry helpers come from CtrlRegistry)
    // Presses a button as the user would (click, or the page's command for id).
    void ClickDlgButton(int id);
    QCheckBox *MakeCheck(int id, const QString &text);
    QLineEdit *MakeEdit(int id, bool readOnly = false);
    LedLamp *MakeLed(int id);
    QPushButton *MakeButton(int id, const QString &text);
    QLabel *MakeLabel(int id, const QString &text);

    // --- requests
    bool SendFrame(const std::uint8_t *payload, std::size_t count);
    // The five-byte read request 53 cls code 01 00.
    bool SendReadRequest(std::uint8_t cls, std::uint8_t code);
    // Where a request's warnings go (title, text); when unset, the page's message box.
    using Refusal = std::function<void(const QString &title, const QString &text)>;
    // The host's port is open, or the warning "请先打开串口后再进行操作！".
    bool CheckPortOpen(const Refusal &refuse = {});

    // --- messages and timers
    void PostMessage(int msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    void SetTimer(int id, int ms) { m_timers.SetTimer(id, ms); }
    void KillTimer(int id) { m_timers.KillTimer(id); }
    bool IsTimerActive(int id) const { return m_timers.IsTimerActive(id); }
    virtual void OnTimer(int) {}

protected:
    // Builds the widgets, then calls the base version (which connects "清空").
    virtual void OnInitDialog();
    // Page messages (WM_USER ...); true when handled.
    virtual bool OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam);
    // "清空".
    virtual void OnBtnClickClear() {}
    bool event(QEvent *event) override;

    // Message box owned by this page.
    int MessageBox(const QString &text, const QString &caption, int flags);
    void Warn(const Refusal &refuse, const QString &title, const QString &text);

private:
    PageHost *m_pHost;
    PageAccess m_access;
    QString m_strCaption;
    bool m_bInitialised = false;
    WndTimers m_timers;
};

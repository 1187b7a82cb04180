// Base of every page of the sheet: the registry of controls by numeric id,
// the registry of parameter rows (check-box, edit boxes, lamp), the row
// gestures, the read and write walks, checked integer input, single-value
// write requests and the response checks that feed the edit boxes and lamps.
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/framework/ledctrl.h"
#include "app/framework/pagekind.h"
#include "app/framework/wndtimer.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <climits>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>

class CPylvexDlg;
class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// Lamp states.
inline constexpr int LED_OK = 0;
inline constexpr int LED_ERROR = 1;
inline constexpr int LED_IDLE = 2;

// Value kinds of a single parameter (variant type codes).
using VARTYPE = unsigned short;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I1 = 16;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_INT = 22;
inline constexpr VARTYPE VT_UINT = 23;

// Buttons with the same id on every page that has them.
inline constexpr int IDC_SELECT_ALL = 1004; // "全选"
inline constexpr int IDC_READ = 1257;       // "读 取"
inline constexpr int IDC_WRITE = 1315;      // "写 入"
inline constexpr int IDC_CLEAR = 1144;      // "清空"

struct ParamEntry {
    int nChkID = 0;
    int nEditID = 0;
    int ledID = 0;
    CLedCtrl *pLedCtrl = nullptr;
};

// One edit box of a parameter row built by AddParamRow.
struct RowEdit {
    RowEdit(int editId, QString unitText = {}, QString captionText = {}, bool isReadOnly = false)
        : id(editId), unit(std::move(unitText)), caption(std::move(captionText)), readOnly(isReadOnly)
    {
    }
    int id = 0;
    QString unit;    // text after the box (may be empty)
    QString caption; // text before the box (may be empty)
    bool readOnly = false;
};

class CCfgPageBase : public QWidget, public CtrlRegistry {
    Q_OBJECT
public:
    CCfgPageBase(CPylvexDlg *mainDlg, PageKind kind, const QString &caption, QWidget *parent = nullptr);
    ~CCfgPageBase() override;

    PageKind Kind() const { return m_kind; }
    QString Caption() const { return m_strCaption; }
    bool IsInnerPage() const { return IsInnerPageKind(m_kind); }

    // Builds the page once (OnInitDialog); the sheet calls it when the page is added.
    void InitDialog();
    bool IsInitialised() const { return m_bInitialised; }
    // Asked before the page becomes the active page; false keeps the current page.
    virtual bool OnSetActive();
    // The page stops being the active page (another page was shown).
    virtual void OnKillActive() {}

    // --- controls by id (the registry helpers come from CtrlRegistry)
    // Presses a button as the user would (click, or the page's command for id).
    void ClickDlgButton(int id);

    QCheckBox *MakeCheck(int id, const QString &text);
    QLineEdit *MakeEdit(int id, bool readOnly = false);
    CLedCtrl *MakeLed(int id);
    QPushButton *MakeButton(int id, const QString &text);
    QLabel *MakeLabel(int id, const QString &text);
    // Check-box, edit boxes with their texts and lamp in one grid row; registers
    // the controls and the parameter (the first edit box is its nEditID).
    void AddParamRow(QGridLayout *grid, int row, int chkID, const QString &label, std::initializer_list<RowEdit> edits,
                     int ledID);
    // The four buttons "全选", "读 取", "写 入", "清空" in a row layout.
    QWidget *MakeParamButtons();

    // --- parameter registry
    void AddParam(const ParamEntry &entry);
    void AddReadOnly(int chkID);
    bool LookupParam(int nChkID, ParamEntry &entry) const;
    bool IsReadOnly(int chkID) const { return m_readOnly.contains(chkID); }
    void SetLedState(int nChkID, int state);
    void CheckAllParams(int check);
    bool AnyParamChecked(bool checked) const;
    void ResetLeds(bool onlyUnchecked);

    // --- requests (pages)
    virtual void InitReadOnly() {}
    virtual void ReadParams(int nChkID) = 0;
    virtual void WriteParams(int nChkID) = 0;
    bool GetEditInt(int editID, int &out, int min, int max, bool isSigned);
    bool WriteParam(std::uint8_t cls, std::uint8_t code, int editID, VARTYPE vt, int min, int max);
    // The five-byte read request 53 cls code 01 00.
    bool SendReadRequest(std::uint8_t cls, std::uint8_t code);
    bool SendFrame(const std::uint8_t *payload, std::size_t count);
    // The walk contract: port test, m_nReqCount, rows in the given order, the
    // read-only rule (write), stop at the first failing row, the warnings.
    // queue(chkID) queues that row's request(s); false stops the walk.
    // Where a walk's or a request's warnings go (title, text); when unset, the
    // page's message box.
    using Refusal = std::function<void(const QString &title, const QString &text)>;
    void RunReadWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue,
                     const Refusal &refuse = {});
    void RunWriteWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue);
    // m_bOpenCOM of the main window, or the warning.
    bool CheckPortOpen(const Refusal &refuse = {});

    // --- responses (frame from the head on, L bytes)
    bool CheckResponse(const std::uint8_t *frame, int len, int need, const ParamEntry &entry);
    bool CheckResponseQuiet(const std::uint8_t *frame, int len, int need);
    // The row's entry when its response passes CheckResponse; false for a failed
    // response or an unknown row.
    bool CheckRowResponse(const std::uint8_t *frame, int len, int need, int nChkID, ParamEntry &entry);
    bool ParseValueResponse(const std::uint8_t *frame, int len, int need, int nChkID, VARTYPE vt, void *out = nullptr);
    bool ParseTempResponse(const std::uint8_t *frame, int len, int nChkID);
    bool CheckAckResponse(const std::uint8_t *frame, int len, int nChkID, int editID,
                          const QString *successText = nullptr);

    // --- operations the response routing calls on the pages that have them
    // A page's own decoder of one parameter row (by its check-box id).
    virtual void OnRowResponse(int nChkID, const std::uint8_t *frame, int len);
    virtual void OnStatusResponse(const std::uint8_t *frame, int len);
    virtual void OnBatchStatus(const std::uint8_t *frame, int len);
    virtual void OnSocConfig(const std::uint8_t *frame, int len);
    virtual void OnSocLearning(const std::uint8_t *frame, int len);
    virtual void OnBatteryRecords(const std::uint8_t *frame, int len);
    virtual void OnBatteryLogResponse(const std::uint8_t *frame, int len);
    virtual void OnBoardTime(const std::uint8_t *frame, int len);
    // The firmware upgrade packet for the upgrade dialog the page runs; false without one.
    virtual bool OnUpgradePacket(const std::uint8_t *frame, int len);
    // The page waiting for the internal debugging mode; taking it clears it.
    virtual QWidget *TakeUnlockTarget() { return nullptr; }

    // The board port was opened (clock synchronisation, protocol probe ...).
    virtual void OnPortOpened() {}

    // --- messages and timers
    void PostMessage(int msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    void SetTimer(int id, int ms) { m_timers.SetTimer(id, ms); }
    void KillTimer(int id) { m_timers.KillTimer(id); }
    bool IsTimerActive(int id) const { return m_timers.IsTimerActive(id); }
    virtual void OnTimer(int) {}

    CPylvexDlg *m_pMainDlg = nullptr;
    QHash<int, ParamEntry> m_chkMap;
    QHash<int, int> m_ledMap;
    QHash<int, int> m_readOnly;
    int m_nReqCount = 0;

protected:
    // Builds the widgets and registers the rows, then calls the base version.
    virtual void OnInitDialog();
    // Page messages other than WM_READ_PARAM and WM_WRITE_PARAM; true when handled.
    virtual bool OnMessage(int msg, std::intptr_t wParam, std::intptr_t lParam);
    // "清空": clears every registered edit box; pages add their further boxes.
    virtual void OnBtnClickClear();
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Message box owned by this page.
    int MessageBox(const QString &text, const QString &caption, int flags);

private:
    void AttachRow(const ParamEntry &entry);
    void OnBtnClickSelectAll();
    void OnParamCheckClicked(int chkID);
    void OnLedClicked(int ledID);
    void OnLedDoubleClicked(int ledID);
    void RefuseEdit(int editID, const QString &text);
    // Both walks; a write walk skips read-only rows (a single one is refused).
    void Warn(const Refusal &refuse, const QString &title, const QString &text);
    void RunWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue, bool writing,
                 const Refusal &refuse);

    PageKind m_kind;
    QString m_strCaption;
    bool m_bInitialised = false;
    WndTimers m_timers;
};

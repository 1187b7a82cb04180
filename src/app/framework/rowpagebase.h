// Base of the pages made of parameter rows (check-box, edit boxes, lamp):
// the registry of rows, the row gestures, the read and write walks, checked
// integer input, single-value write requests and the response checks that
// feed the edit boxes and lamps. The generic route operations (value,
// temperature, acknowledgement, version ...) work on such pages.
#pragma once

#include "app/framework/pagebase.h"
#include "app/framework/valuekind.h"

#include <QHash>

#include <climits>
#include <initializer_list>
#include <span>

class QGridLayout;

// Lamp states.
inline constexpr int LED_OK = 0;
inline constexpr int LED_ERROR = 1;
inline constexpr int LED_IDLE = 2;

struct ParamEntry {
    int nChkID = 0;
    int nEditID = 0;
    int ledID = 0;
    LedLamp *pLedCtrl = nullptr;
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

class RowPageBase : public PageBase {
    Q_OBJECT
public:
    using PageBase::PageBase;
    ~RowPageBase() override;

    void OnBoardSwitch() override;

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
    int ParamCount() const { return static_cast<int>(m_chkMap.size()); }
    int ReadOnlyCount() const { return static_cast<int>(m_readOnly.size()); }
    void SetLedState(int nChkID, int state);
    // A row's answer has been shown (its lamp and boxes are up to date).
    virtual void OnRowAnswered(int /*nChkID*/) {}
    // The row's request went unanswered: the lamp's no-answer look (neither the
    // error red nor the idle dark) with a tooltip saying since when. Any later
    // state of the lamp (an answer, a new request) replaces it.
    void SetNoAnswerLook(int nChkID, const QDateTime &since);
    bool HasNoAnswerLook(int nChkID) const;
    // The route's row, when it names one of this page.
    void OnNoAnswer(const RxRoute &route, const QDateTime &since) override;
    void CheckAllParams(int check);
    bool AnyParamChecked(bool checked) const;
    void ResetLeds(bool onlyUnchecked);
    // Requests queued by the last walk.
    int ReqCount() const { return m_nReqCount; }

    // --- requests (pages)
    virtual void InitReadOnly() {}
    virtual void ReadParams(int nChkID) = 0;
    virtual void WriteParams(int nChkID) = 0;
    bool GetEditInt(int editID, int &out, int min, int max, bool isSigned);
    // Writes one value entered in the edit box (range-checked against min..max);
    // scale multiplies it on the wire (a temperature entered in whole degrees
    // travels in hundredths).
    bool WriteParam(std::uint8_t cls, std::uint8_t code, int editID, VARTYPE vt, int min, int max, int scale = 1);
    // The walk contract: port test, the request count, rows in the given order,
    // the read-only rule (write), stop at the first failing row, the warnings.
    // queue(chkID) queues that row's request(s); false stops the walk.
    void RunReadWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue,
                     const Refusal &refuse = {});
    void RunWriteWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue);

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

protected:
    // Registers the rows' gestures and the buttons, then the base version.
    void OnInitDialog() override;
    // "清空": clears every registered edit box; pages add their further boxes.
    void OnBtnClickClear() override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A walk of a page's own (the live page's batch request) starts its count again.
    void ResetReqCount() { m_nReqCount = 0; }

private:
    void AttachRow(const ParamEntry &entry);
    void OnBtnClickSelectAll();
    void OnParamCheckClicked(int chkID);
    void OnLedClicked(int ledID);
    void OnLedDoubleClicked(int ledID);
    void RefuseEdit(int editID, const QString &text);
    // Both walks; a write walk skips read-only rows (a single one is refused).
    void RunWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue, bool writing,
                 const Refusal &refuse);

    QHash<int, ParamEntry> m_chkMap;
    QHash<int, int> m_ledMap;
    QHash<int, int> m_readOnly;
    int m_nReqCount = 0;
};

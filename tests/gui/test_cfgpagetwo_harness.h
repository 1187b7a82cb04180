// Shared by the widget tests of the two threshold pages: the real main window
// with a send tap, responses fed through its receive path, and lamp readings.
#pragma once

#include "app/cfgsheet.h"
#include "app/framework/cfgpagebase.h"
#include "app/framework/msgbox.h"
#include "app/pylvexapp.h"
#include "app/pylvexdlg.h"
#include "common/frame_bytes.h"
#include "link/winmsg.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

Q_DECLARE_METATYPE(Bytes)

class PageHarness {
public:
    PageHarness()
    {
        m_dlg = std::make_unique<CPylvexDlg>();
        m_dlg->m_bOpenCOM = true;
        // Each queued frame as its payload: link byte, class, code, N, data.
        m_dlg->m_sendTap = [this](const std::uint8_t *bytes, std::size_t n) {
            if (n >= 9)
                m_sent.emplace_back(bytes + 1, bytes + n - 4);
        };
    }
    ~PageHarness()
    {
        m_dlg->m_bOpenCOM = false;
        m_dlg->Port().ClearTxQueue();
    }

    CPylvexDlg *Dlg() { return m_dlg.get(); }
    // Shows the window with the page in front, so that focus can be observed.
    bool ShowPage(CCfgPageBase *page)
    {
        theApp()->m_bInnerVerified = true;
        m_dlg->show();
        bool front = m_dlg->Sheet()->SetActivePage(page);
        QApplication::setActiveWindow(m_dlg.get());
        return front && QTest::qWaitForWindowActive(m_dlg.get());
    }
    std::vector<Bytes> &Sent() { return m_sent; }

    // A main-board response handled as if it had just arrived.
    void Respond(std::uint8_t cls, std::uint8_t code, const Bytes &data)
    {
        Bytes frame = BoardFrame(cls, code, data);
        QVERIFY(!frame.empty());
        m_dlg->Dispatcher().HandleFrame(frame.data(), static_cast<int>(frame.size()));
    }

private:
    std::unique_ptr<CPylvexDlg> m_dlg;
    std::vector<Bytes> m_sent;
};

// What every test of one page keeps: a fresh window, its page of that type and
// the message boxes shown meanwhile.
template <class PageT> class PageFixture {
protected:
    std::unique_ptr<PageHarness> m_h;
    PageT *m_page = nullptr;
    std::unique_ptr<MsgBoxRecorder> m_boxes;

    // False when the window holds no such page at that index.
    bool OpenPage(PageKind index)
    {
        m_h = std::make_unique<PageHarness>();
        m_page = m_h->Dlg()->Page<PageT>(index);
        m_boxes = std::make_unique<MsgBoxRecorder>();
        return m_page != nullptr;
    }
    void ClosePage()
    {
        m_boxes.reset();
        m_page = nullptr;
        m_h.reset();
    }
    // Ticks "全选" and with it every row.
    void SelectAll()
    {
        m_page->CheckDlgButton(IDC_SELECT_ALL, 0);
        m_page->ClickDlgButton(IDC_SELECT_ALL);
    }
};

// LED_OK, LED_ERROR or LED_IDLE from the picture the lamp shows; -1 for any other.
inline int LampState(CCfgPageBase *page, int chkID)
{
    ParamEntry entry;
    if (!page->LookupParam(chkID, entry) || !entry.pLedCtrl || entry.pLedCtrl->ShapeOffset() != CLedCtrl::kSquare)
        return -1;
    const CLedCtrl *led = entry.pLedCtrl;
    if (led->ColourRow() == CLedCtrl::kRed && led->ColumnIndex() == CLedCtrl::kBright)
        return LED_ERROR;
    if (led->ColourRow() == CLedCtrl::kGreen)
        return led->ColumnIndex() == CLedCtrl::kBright ? LED_OK : LED_IDLE;
    return -1;
}

inline void UncheckAll(CCfgPageBase *page)
{
    page->CheckAllParams(0);
    page->CheckDlgButton(IDC_SELECT_ALL, 0);
}

// Runs posted page messages (double-click gestures) to completion.
inline void RunPosted()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

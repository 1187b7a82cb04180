// What every test of one page keeps: a fake host, the page on it and the
// message boxes shown meanwhile; lamp readings of row pages.
#pragma once

#include "app/framework/msgbox.h"
#include "app/framework/rowpagebase.h"
#include "app/pages/livestatuspage.h"
#include "common/fakehost.h"

#include <QApplication>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(Bytes)

template <class PageT> class PageFixture {
protected:
    std::unique_ptr<FakeHost> m_h;
    PageT *m_page = nullptr;
    std::unique_ptr<MsgBoxRecorder> m_boxes;

    bool OpenPage()
    {
        m_h = std::make_unique<FakeHost>();
        m_page = m_h->AddPage(new PageT(m_h.get()));
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
    // Shows the sheet with the page in front (the gate open), so that focus can be observed.
    bool ShowInFront()
    {
        m_h->Gate().SetVerified(true);
        m_h->Sheet()->show();
        bool front = m_h->ShowPage(m_page);
        QApplication::setActiveWindow(m_h->Sheet());
        return front && QTest::qWaitForWindowActive(m_h->Sheet());
    }
};

// LED_OK, LED_ERROR or LED_IDLE from the picture the lamp shows; -1 for any other.
inline int LampState(RowPageBase *page, int chkID)
{
    ParamEntry entry;
    if (!page->LookupParam(chkID, entry) || !entry.pLedCtrl || entry.pLedCtrl->ShapeOffset() != LedLamp::kSquare)
        return -1;
    const LedLamp *led = entry.pLedCtrl;
    if (led->ColourRow() == LedLamp::kRed && led->ColumnIndex() == LedLamp::kBright)
        return LED_ERROR;
    if (led->ColourRow() == LedLamp::kGreen)
        return led->ColumnIndex() == LedLamp::kBright ? LED_OK : LED_IDLE;
    return -1;
}

inline void UncheckAll(RowPageBase *page)
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

// The live status page on a fake host (the page in its sheet, so it is the
// active page); Feed hands a single-item answer straight to the page.
class LivePageFixture {
protected:
    std::unique_ptr<FakeHost> m_host;
    LiveStatusPage *m_page = nullptr;

    // Whole frames the page queued, oldest first.
    std::vector<Bytes> &Sent() { return m_host->Sent(); }
    void OpenPage()
    {
        m_host = std::make_unique<FakeHost>();
        m_page = m_host->AddPage(new LiveStatusPage(m_host.get()));
    }
    void ClosePage()
    {
        m_page = nullptr;
        m_host.reset();
    }
    // A single-item answer to the request code, handled by the page.
    void Feed(std::uint8_t code, const Bytes &data, std::uint8_t result = 0)
    {
        Bytes f = StatusAnswer(code, data, result);
        m_page->OnStatusResponse(f.data(), static_cast<int>(f.size()));
    }
};

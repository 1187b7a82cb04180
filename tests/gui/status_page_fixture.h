// The live status page on a main window whose port counts as open: every frame
// it queues is kept, and answers go straight to the page.
#pragma once

#include "app/pages/cfgpageten.h"
#include "app/pylvexdlg.h"
#include "common/frame_bytes.h"

#include <memory>
#include <vector>

class StatusPageFixture {
protected:
    std::unique_ptr<CPylvexDlg> m_dlg;
    std::unique_ptr<CCfgPageTen> m_page;
    std::vector<Bytes> m_sent; // whole frames, as queued

    void OpenPage()
    {
        m_dlg = std::make_unique<CPylvexDlg>();
        m_dlg->m_bOpenCOM = true;
        m_sent.clear();
        m_dlg->m_sendTap = [this](const std::uint8_t *b, std::size_t n) { m_sent.emplace_back(b, b + n); };
        m_page = std::make_unique<CCfgPageTen>(m_dlg.get());
        m_page->InitDialog();
    }
    void ClosePage()
    {
        m_page.reset();
        m_dlg.reset();
    }
    // A single-item answer to the request code, handled by the page.
    void Feed(std::uint8_t code, const Bytes &data, std::uint8_t result = 0)
    {
        Bytes f = StatusAnswer(code, data, result);
        m_page->OnStatusResponse(f.data(), static_cast<int>(f.size()));
    }
};

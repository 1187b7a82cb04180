// Live status page: the batch read of all fifteen items in one request, and
// the batch mode an accepted answer puts the page in.
#include "app/framework/msgbox.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/livestatuspage_trace.h"
#include "app/pages/packchartfeed.h"
#include "protocol/batch_status.h"

void LiveStatusPage::RequestBatchStatus(int nMode)
{
    if (!CheckPortOpen(RefusalFor(nMode)))
        return;
    ResetReqCount();
    auto payload = BatchRequestPayload();
    SendFrame(payload.data(), payload.size());
}

void LiveStatusPage::OnBatchStatus(const std::uint8_t *frame, int len)
{
    SetLedState(INT_MAX, LED_IDLE);
    BatchStatus answer = ParseBatchStatus(frame, len > 0 ? static_cast<std::size_t>(len) : 0);
    if (!answer.accepted) {
        Trace("新协议回应错误 \n");
        m_bBatchMode = false;
        return;
    }
    Trace("新协议回应 \n");
    if (!m_bBatchMode) {
        CheckAllParams(1);
        CheckDlgButton(IDC_SELECT_ALL, 1);
    }
    m_bBatchMode = true;
    m_bRecordNow = IsDlgButtonChecked(IDC_TIMED_SAVE) != 0;
    for (const BatchBlock &block : answer.blocks) {
        const StatusItem *item = FindStatusItemByCode(block.code);
        if (!item)
            continue;
        SetLedState(item->nChkID, LED_OK);
        ShowItem(block.code, block.bytes, static_cast<int>(block.bytes.size()) + 1, true);
    }
}

void LiveStatusPage::OnPortOpened()
{
    Trace("读取判断协议类型 \n");
    m_bBatchMode = false;
    SetTimer(TIMER_STALE, 1000);
    m_pChartFeed->OnPortOpened();
    RequestBatchStatus(-2);
}

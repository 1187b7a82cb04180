// The operations of the routing table on a page.
#include "app/framework/pagehost.h"
#include "app/framework/rowpagebase.h"
#include "app/framework/rxdispatch.h"
#include "app/framework/rxreports.h"
#include "protocol/dassert.h"
#include "protocol/status_decode.h"

#include <QCoreApplication>

namespace {
// The generic operations show their results in a page's rows.
bool IsRowOp(RouteOp op)
{
    return op != OP_PAGE && op != OP_PAGE_IF_ACTIVE;
}
} // namespace

void RxDispatcher::RunRoute(const RxRoute &r, PageBase *target, const std::uint8_t *frame, int len)
{
    if (r.op == OP_PAGE) {
        target->OnRoute(r, frame, len);
        return;
    }
    if (r.op == OP_PAGE_IF_ACTIVE) {
        if (m_host.ActivePage() == target)
            target->OnRoute(r, frame, len);
        else if (r.edit2)
            target->SetDlgItemText(r.edit2, QCoreApplication::translate("RxOps", "响应时，页面处于非活动状态！"));
        return;
    }
    auto *page = qobject_cast<RowPageBase *>(target);
    d_assert(page != nullptr && IsRowOp(r.op));
    if (!page)
        return;
    RunRowRoute(r, page, frame, len);
    page->OnRowAnswered(r.chk);
}

void RxDispatcher::RunRowRoute(const RxRoute &r, RowPageBase *page, const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    ResponseView v = ViewResponse(frame, len);
    switch (r.op) {
    case OP_VALUE: page->ParseValueResponse(frame, len, r.need, r.chk, r.vt); break;
    case OP_TEMP: page->ParseTempResponse(frame, len, r.chk); break;
    case OP_ACK: page->CheckAckResponse(frame, len, r.chk, r.edit2); break;
    case OP_VERSION:
        if (!page->CheckRowResponse(frame, len, 7, r.chk, entry))
            break;
        if (std::optional<Versions> ver = DecodeVersions(v.AfterResult())) {
            page->SetDlgItemText(entry.nEditID, QString::fromStdString(ver->software));
            page->SetDlgItemText(r.edit2, QString::fromStdString(ver->hardware));
        }
        break;
    case OP_PAGE:
    case OP_PAGE_IF_ACTIVE: break;
    }
}

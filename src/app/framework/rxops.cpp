// The operations of the routing table on a page.
#include "app/framework/internalmodegate.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/framework/rowpagebase.h"
#include "app/framework/rxdispatch.h"
#include "app/framework/rxreports.h"
#include "protocol/dassert.h"
#include "protocol/param_decode.h"
#include "protocol/status_decode.h"

#include <QCoreApplication>
#include <QTime>

namespace {
QString TimeText(const char *suffix)
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QString::fromUtf8(suffix);
}

QString BitText(const BitNames &bits, std::uint8_t value)
{
    QString text;
    for (int bit = 0; bit < bits.count; ++bit) {
        if (!(value & (1u << bit)))
            continue;
        if (!text.isEmpty())
            text += QCoreApplication::translate("BitNames", bits.separator);
        text += QCoreApplication::translate("BitNames", bits.names[bit]);
    }
    return text;
}

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
    ParamEntry entry;
    ResponseView v = ViewResponse(frame, len);
    switch (r.op) {
    case OP_VALUE: page->ParseValueResponse(frame, len, r.need, r.chk, r.vt); break;
    case OP_TEMP: page->ParseTempResponse(frame, len, r.chk); break;
    case OP_VALUE_BITS:
    case OP_BMS_STATE: {
        std::uint8_t value = 0;
        if (!page->ParseValueResponse(frame, len, r.need, r.chk, VT_UI1, &value) || !page->LookupParam(r.chk, entry))
            break;
        QString text = r.op == OP_BMS_STATE ? ((value & 1) ? QCoreApplication::translate("RxOps", "boot区")
                                                           : QCoreApplication::translate("RxOps", "APP区"))
                                            : BitText(*r.bits, value);
        page->SetDlgItemText(entry.nEditID, text);
        break;
    }
    case OP_ACK: page->CheckAckResponse(frame, len, r.chk, r.edit2); break;
    case OP_ACK_TIME: {
        QString text = TimeText(r.text);
        page->CheckAckResponse(frame, len, r.chk, r.edit2, &text);
        break;
    }
    case OP_ACK_UNLOCK: {
        QString text = TimeText(r.text);
        if (page->CheckAckResponse(frame, len, r.chk, r.edit2, &text))
            m_host.Gate().OnBoardConfirmed();
        break;
    }
    case OP_VERSION:
        if (!page->CheckRowResponse(frame, len, 7, r.chk, entry))
            break;
        if (std::optional<Versions> ver = DecodeVersions(v.AfterResult())) {
            page->SetDlgItemText(entry.nEditID, QString::fromStdString(ver->software));
            page->SetDlgItemText(r.edit2, QString::fromStdString(ver->hardware));
        }
        break;
    case OP_OCV:
        if (page->CheckRowResponse(frame, len, 29, r.chk, entry)) {
            int count = (v.avail - 1) / 2;
            d_assert(count <= 14);
            count = count > 14 ? 14 : count;
            QString text;
            for (int i = 0; i < count; ++i)
                text += QString::asprintf("%u ", static_cast<unsigned>((v.data[1 + 2 * i] << 8) | v.data[2 + 2 * i]));
            page->SetDlgItemText(entry.nEditID, text);
        }
        break;
    case OP_WAKE:
        if (page->CheckRowResponse(frame, len, 3, r.chk, entry))
            page->SetDlgItemText(entry.nEditID, QCoreApplication::translate("ParamTable", WakeUpName(v.data[1])));
        break;
    case OP_CURRENT_CAL:
        if (page->CheckRowResponse(frame, len, 0, r.chk, entry)) {
            if (v.avail >= 3)
                page->SetDlgItemInt(entry.nEditID, static_cast<unsigned>((v.data[1] << 8) | v.data[2]), false);
            if (v.avail >= 5)
                page->SetDlgItemInt(
                    r.edit2, static_cast<unsigned>(static_cast<std::int16_t>((v.data[3] << 8) | v.data[4])), true);
        }
        break;
    case OP_BALANCE:
        if (page->CheckRowResponse(frame, len, 4, r.chk, entry)) {
            page->SetDlgItemInt(entry.nEditID, static_cast<unsigned>(static_cast<std::int8_t>(v.data[1])), true);
            page->SetDlgItemText(r.edit2, QString::number(static_cast<std::int16_t>((v.data[2] << 8) | v.data[3])));
        }
        break;
    case OP_EXEC_RESULT: {
        bool failed = page->CheckResponseQuiet(frame, len, 0);
        ::MessageBox(page,
                     failed ? QCoreApplication::translate("RxOps", "执行失败！")
                            : QCoreApplication::translate("RxOps", "执行成功！"),
                     QCoreApplication::translate("RxOps", "警告"), MB_ICONWARNING);
        break;
    }
    case OP_PAGE:
    case OP_PAGE_IF_ACTIVE: break;
    }
}

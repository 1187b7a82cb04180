// The checks and decoders applied to a response before its value reaches the
// edit box and its verdict the lamp.
#include "app/framework/rowpagebase.h"

#include "app/framework/rxreports.h"
#include "app/framework/valuekind.h"
#include "protocol/dassert.h"
#include "protocol/param_decode.h"

#include <cstring>

namespace {
// The two tests shared by the checks; the short text for the edit box, or empty.
QString ResponseFault(const std::uint8_t *frame, int len, int need)
{
    ResponseView view = ViewResponse(frame, len);
    if (view.ResultCode() != 0) {
        ReportErrorCode(frame, len);
        return QString::asprintf("ErrorCode: 0x%02X", view.ResultCode());
    }
    // A frame holding fewer data bytes than its length byte claims is refused too.
    if ((need != 0 && view.dataLen != need) || view.avail != view.dataLen) {
        ReportLengthMismatch(frame, len, need);
        return QString::asprintf("Len:%d, Need:%d", view.dataLen, need);
    }
    return QString();
}
} // namespace

bool RowPageBase::CheckResponse(const std::uint8_t *frame, int len, int need, const ParamEntry &entry)
{
    QString fault = ResponseFault(frame, len, need);
    bool error = !fault.isEmpty();
    if (error)
        SetDlgItemText(entry.nEditID, fault);
    SetLedState(entry.nChkID, error ? LED_ERROR : LED_OK);
    return error;
}

bool RowPageBase::CheckResponseQuiet(const std::uint8_t *frame, int len, int need)
{
    return !ResponseFault(frame, len, need).isEmpty();
}

bool RowPageBase::CheckRowResponse(const std::uint8_t *frame, int len, int need, int nChkID, ParamEntry &entry)
{
    bool bRes = LookupParam(nChkID, entry);
    d_assert(bRes);
    return bRes && !CheckResponse(frame, len, need, entry);
}

bool RowPageBase::ParseValueResponse(const std::uint8_t *frame, int len, int need, int nChkID, VARTYPE vt, void *out)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, need, nChkID, entry))
        return false;
    ResponseView view = ViewResponse(frame, len);
    std::uint32_t value = 0;
    int size = ValueKindSize(vt);
    if (size == 0) {
        d_assert(0);
        return false;
    }
    if (!DecodeValue(vt, view.data + 1, static_cast<std::size_t>(view.avail > 0 ? view.avail - 1 : 0), value)) {
        // The length test was off (need 0) and the value is not there.
        ReportLengthMismatch(frame, len, 1 + size);
        SetDlgItemText(entry.nEditID, QString::asprintf("Len:%d, Need:%d", view.dataLen, 1 + size));
        SetLedState(nChkID, LED_ERROR);
        return false;
    }
    if (out) {
        if (size == 1) {
            auto b = static_cast<std::uint8_t>(value);
            std::memcpy(out, &b, 1);
        } else if (size == 2) {
            auto h = static_cast<std::uint16_t>(value);
            std::memcpy(out, &h, 2);
        } else {
            std::memcpy(out, &value, 4);
        }
        return true;
    }
    SetDlgItemInt(entry.nEditID, value, vt != VT_UINT);
    return true;
}

bool RowPageBase::ParseTempResponse(const std::uint8_t *frame, int len, int nChkID)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, 3, nChkID, entry))
        return false;
    const std::uint8_t *d = ViewResponse(frame, len).data;
    auto hundredths = static_cast<std::int16_t>((d[1] << 8) | d[2]);
    SetDlgItemInt(entry.nEditID, static_cast<unsigned>(TemperatureShown(hundredths)), true);
    return true;
}

bool RowPageBase::CheckAckResponse(const std::uint8_t *frame, int len, int nChkID, int editID,
                                   const QString *successText)
{
    ParamEntry entry;
    if (!LookupParam(nChkID, entry))
        return false;
    if (CheckResponse(frame, len, 0, entry))
        return false;
    ResponseView view = ViewResponse(frame, len);
    if (view.dataLen == 1) {
        SetDlgItemText(editID, successText ? *successText : tr("成功"));
        return true;
    }
    SetDlgItemText(
        editID, QString::asprintf("响应错误码=%02X, Len=%u", view.ResultCode(), static_cast<unsigned>(view.dataLen)));
    return false;
}

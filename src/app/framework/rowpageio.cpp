// Checked integer input, requests and the read and write walks of a page.
#include "app/framework/rowpagebase.h"

#include "app/framework/msgbox.h"
#include "app/framework/valuekind.h"
#include "protocol/dassert.h"
#include "protocol/param_decode.h"

#include <QLineEdit>

#include <algorithm>

namespace {
const QString kWarning = QStringLiteral("警告");

// The edit boxes whose values are entered in whole degrees and travel in
// hundredths: those of the temperature rows of the parameter pages.
bool IsTempEdit(int editID)
{
    for (const ParamPageRows *page : {&WakeupPageRows(), &AlarmPageRows()})
        for (const PageParamRow &row : page->rows)
            for (int i = 0; row.format == RowFormat::Temperature && i < row.EditCount(); ++i)
                if (row.editIds[i] == editID)
                    return true;
    return false;
}

struct ParsedInt {
    bool anyDigit = false;
    bool leftover = false;
    bool negative = false;
    unsigned long long magnitude = 0; // saturated just above 32 bits
};

// Base-10 conversion with an optional sign, as the C conversions read it.
ParsedInt ParseDecimal(const QString &text)
{
    ParsedInt p;
    int i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        p.negative = text[i++] == u'-';
    int digitsStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        p.magnitude = std::min(p.magnitude * 10 + static_cast<unsigned>(text[i].unicode() - u'0'), 0x1FFFFFFFFull);
        ++i;
    }
    p.anyDigit = i > digitsStart;
    // Without any digit nothing was converted: the whole text is left over.
    p.leftover = !p.anyDigit || i < text.size();
    return p;
}

// strtol on 32 bits: saturates at the int range.
int SignedValue(const ParsedInt &p)
{
    long long v = p.negative ? -static_cast<long long>(p.magnitude) : static_cast<long long>(p.magnitude);
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// strtoul on 32 bits: saturates at 4294967295, a minus sign negates modulo 2^32.
unsigned UnsignedValue(const ParsedInt &p)
{
    if (p.magnitude > 0xFFFFFFFFull)
        return 0xFFFFFFFFu;
    auto v = static_cast<unsigned>(p.magnitude);
    return p.negative ? 0u - v : v;
}
} // namespace

void CRowPageBase::RefuseEdit(int editID, const QString &text)
{
    MessageBox(text, kWarning, MB_ICONWARNING);
    if (auto *edit = Item<QLineEdit>(editID)) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool CRowPageBase::GetEditInt(int editID, int &out, int min, int max, bool isSigned)
{
    QString text = GetDlgItemText(editID).trimmed();
    if (text.isEmpty()) {
        RefuseEdit(editID, QStringLiteral("参数不能为空！"));
        return false;
    }
    ParsedInt parsed = ParseDecimal(text);
    if (parsed.leftover) {
        RefuseEdit(editID, QStringLiteral("参数存在非数字字符！"));
        return false;
    }
    if (isSigned) {
        int v = SignedValue(parsed);
        if (v < min || v > max) {
            RefuseEdit(editID, QStringLiteral("参数的有效范围是 %1 至 %2 之间的整数！").arg(min).arg(max));
            return false;
        }
        out = v;
        return true;
    }
    unsigned v = UnsignedValue(parsed);
    auto umin = static_cast<unsigned>(min);
    auto umax = static_cast<unsigned>(max);
    if (v < umin || v > umax) {
        RefuseEdit(editID, QStringLiteral("参数的有效范围是 %1 至 %2 之间的整数！").arg(umin).arg(umax));
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

bool CRowPageBase::WriteParam(std::uint8_t cls, std::uint8_t code, int editID, VARTYPE vt, int min, int max)
{
    int v = 0;
    if (!GetEditInt(editID, v, min, max, vt != VT_UINT))
        return false;
    if (IsTempEdit(editID))
        v *= 100;
    std::uint8_t payload[8] = {0x53, cls, code, 0};
    int size = EncodeValue(vt, static_cast<std::uint32_t>(v), payload + 4);
    if (size == 0) {
        d_assert(0);
        return false;
    }
    payload[3] = static_cast<std::uint8_t>(size);
    return SendFrame(payload, 4 + static_cast<std::size_t>(size));
}

void CRowPageBase::RunReadWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue,
                               const Refusal &refuse)
{
    RunWalk(nChkID, order, queue, false, refuse);
}

void CRowPageBase::RunWriteWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue)
{
    RunWalk(nChkID, order, queue, true, {});
}

void CRowPageBase::RunWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue, bool writing,
                           const Refusal &refuse)
{
    if (!CheckPortOpen(refuse))
        return;
    m_nReqCount = 0;
    for (int chk : order) {
        bool takesPart = nChkID < 0 ? IsDlgButtonChecked(chk) != 0 : nChkID == chk;
        if (!takesPart)
            continue;
        if (writing && IsReadOnly(chk)) {
            if (nChkID > 0) {
                Warn(refuse, QStringLiteral("写入"), QStringLiteral("参数为只读！"));
                return;
            }
            CheckDlgButton(chk, 0);
            continue;
        }
        SetLedState(chk, LED_IDLE);
        ++m_nReqCount;
        if (!queue(chk))
            break;
    }
    if (m_nReqCount == 0)
        Warn(refuse, writing ? QStringLiteral("写入") : QStringLiteral("读取"),
             writing ? QStringLiteral("请选中需要修改的参数，或所选都是只读参数!")
                     : QStringLiteral("请先选中需要读取的参数!"));
}

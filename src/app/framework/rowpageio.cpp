// Checked integer input, requests and the read and write walks of a page.
#include "app/framework/rowpagebase.h"

#include "app/framework/msgbox.h"
#include "app/framework/valuekind.h"
#include "protocol/dassert.h"
#include "protocol/int_input.h"

#include <QLineEdit>

#include <algorithm>

void RowPageBase::RefuseEdit(int editID, const QString &text)
{
    MessageBox(text, tr("警告"), MB_ICONWARNING);
    if (auto *edit = Item<QLineEdit>(editID)) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool RowPageBase::GetEditInt(int editID, int &out, int min, int max, bool isSigned)
{
    const QString text = GetDlgItemText(editID).trimmed();
    const IntInput input = ParseIntInput(text.toStdString(), min, max, isSigned);
    if (!input.Ok()) {
        RefuseEdit(editID, QString::fromStdString(IntInputMessage(input.error, min, max, isSigned)));
        return false;
    }
    out = input.value;
    return true;
}

bool RowPageBase::WriteParam(std::uint8_t cls, std::uint8_t code, int editID, VARTYPE vt, int min, int max, int scale)
{
    int v = 0;
    if (!GetEditInt(editID, v, min, max, vt != VT_UINT))
        return false;
    v *= scale;
    std::uint8_t payload[8] = {0x53, cls, code, 0};
    int size = EncodeValue(vt, static_cast<std::uint32_t>(v), payload + 4);
    if (size == 0) {
        d_assert(0);
        return false;
    }
    payload[3] = static_cast<std::uint8_t>(size);
    return SendFrame(payload, 4 + static_cast<std::size_t>(size));
}

void RowPageBase::RunReadWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue,
                              const Refusal &refuse)
{
    RunWalk(nChkID, order, queue, false, refuse);
}

void RowPageBase::RunWriteWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue)
{
    RunWalk(nChkID, order, queue, true, {});
}

void RowPageBase::RunWalk(int nChkID, std::span<const int> order, const std::function<bool(int)> &queue, bool writing,
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
                Warn(refuse, tr("写入"), tr("参数为只读！"));
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
        Warn(refuse, writing ? tr("写入") : tr("读取"),
             writing ? tr("请选中需要修改的参数，或所选都是只读参数!") : tr("请先选中需要读取的参数!"));
}

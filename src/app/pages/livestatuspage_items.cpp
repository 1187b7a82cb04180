// Live status page: the fifteen items, the single-item reads and the decoding
// of every item's answer into the page's controls.
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/livestatuspage_trace.h"
#include "app/pages/packchartfeed.h"
#include "app/widgets/userlistctrl.h"
#include "protocol/dassert.h"
#include "protocol/frame.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>

const std::array<StatusItem, 15> kStatusItems = {{
    {1148, 1150, 1149, kStatusVersions, QT_TRANSLATE_NOOP("LiveStatusPage", "软硬件版本：")},
    {1172, 1173, 1174, kStatusPower, QT_TRANSLATE_NOOP("LiveStatusPage", "总电压,电流,温度：")},
    {1008, 1007, 1009, kStatusProtection, QT_TRANSLATE_NOOP("LiveStatusPage", "保护状态：")},
    {1025, 1024, 1026, kStatusCycles, QT_TRANSLATE_NOOP("LiveStatusPage", "充放电循环次数：")},
    {1021, 1019, 1020, kStatusMos, QT_TRANSLATE_NOOP("LiveStatusPage", "充放电及预放电MOS状态：")},
    {1169, 1171, 1170, kStatusProbes, QT_TRANSLATE_NOOP("LiveStatusPage", "温度探头个数：")},
    {1069, 1068, 1067, kStatusSoc, QT_TRANSLATE_NOOP("LiveStatusPage", "SOC，SOH：")},
    {1157, 1159, 1158, kStatusDate, QT_TRANSLATE_NOOP("LiveStatusPage", "生产日期：")},
    {1164, 1163, 1165, kStatusRemaining, QT_TRANSLATE_NOOP("LiveStatusPage", "剩余容量：")},
    {1145, 1147, 1146, kStatusFull, QT_TRANSLATE_NOOP("LiveStatusPage", "满电容量：")},
    {1161, 1162, 1160, kStatusSn, QT_TRANSLATE_NOOP("LiveStatusPage", "SN 码：")},
    {1010, 1011, 1012, kStatusAlarm, QT_TRANSLATE_NOOP("LiveStatusPage", "报警状态：")},
    {1052, IDC_CELL_LIST, 1053, kStatusCells, QT_TRANSLATE_NOOP("LiveStatusPage", "单节电压：")},
    {1123, 1124, 1122, kStatusBalancing, QT_TRANSLATE_NOOP("LiveStatusPage", "均衡状态：")},
    {1181, IDC_EXTREME_LIST, 1179, kStatusExtremes, QT_TRANSLATE_NOOP("LiveStatusPage", "最值记录：")},
}};

const StatusItem *FindStatusItemByCode(std::uint8_t code)
{
    for (const StatusItem &item : kStatusItems)
        if (item.code == code)
            return &item;
    return nullptr;
}

namespace {
QString U8(const std::string &s)
{
    return QString::fromUtf8(s);
}
} // namespace

PageBase::Refusal LiveStatusPage::RefusalFor(int nMode) const
{
    if (nMode != -2)
        return {};
    return [this](const QString &title, const QString &text) {
        if (Host())
            Host()->WriteLog(3, title, text);
    };
}

void LiveStatusPage::ReadParams(int nChkID)
{
    std::vector<int> order;
    for (std::uint8_t code : kStatusRequestOrder)
        order.push_back(FindStatusItemByCode(code)->nChkID);
    auto send = [this](int chk) {
        for (const StatusItem &item : kStatusItems)
            if (item.nChkID == chk)
                return SendReadRequest(0x03, item.code);
        return false;
    };
    RunReadWalk(nChkID, order, send, RefusalFor(nChkID));
}

void LiveStatusPage::OnStatusResponse(const std::uint8_t *frame, int len)
{
    // Head, link, class, code, N, N data bytes, sum, tail: never past len.
    if (!frame || len < 9 || frame[4] + 9 > len)
        return;
    const StatusItem *item = FindStatusItemByCode(frame[3] & 0x7F);
    ParamEntry entry;
    if (!item || !LookupParam(item->nChkID, entry))
        return;
    m_bRecordNow = IsDlgButtonChecked(IDC_TIMED_SAVE) != 0;
    if (item->code == kStatusProtection)
        m_pProtection->clear();
    else if (item->code == kStatusAlarm)
        m_pAlarm->clear();
    if (CheckResponse(frame, len, StatusNeededLength(item->code), entry))
        return;
    int dataLength = frame[4];
    StatusBytes payload =
        dataLength > 1 ? StatusBytes(frame + 6, static_cast<std::size_t>(dataLength - 1)) : StatusBytes();
    ShowItem(item->code, payload, dataLength, false);
}

void LiveStatusPage::ShowItem(std::uint8_t code, StatusBytes payload, int dataLength, bool batch)
{
    MarkFresh(code);
    // The answer goes into the live status model; the page draws the item
    // from the model, and the recording takes its fields from the model alone.
    if (code == kStatusSn)
        NoteBoardSn(QString::fromStdString(DecodeSnText(payload)));
    LiveStatus &live = m_pChartFeed->Shown();
    ApplyStatusItem(live, code, payload, dataLength, batch);
    switch (code) {
    case kStatusSn:
        if (live.sn)
            SetDlgItemText(1162, U8(*live.sn));
        break;
    case kStatusVersions:
        if (live.versions) {
            SetDlgItemText(1150, U8(live.versions->software));
            SetDlgItemText(1151, U8(live.versions->hardware));
        }
        break;
    case kStatusCells:
        if (live.cells)
            ShowCells(*live.cells);
        break;
    case kStatusPower:
        if (live.power)
            ShowPower(*live.power, batch);
        break;
    case kStatusExtremes:
        if (batch && payload.size() != kExtremeBytes)
            d_assert_fail("CfgPageTen.cpp", __LINE__, "p == pe");
        ShowExtremes(live.extremeTexts);
        break;
    case kStatusBalancing:
        if (live.balancing)
            ShowBalancing(*live.balancing);
        break;
    case kStatusProtection: ShowBitList(IDC_PROTECTION_LIST, live.protections); break;
    case kStatusAlarm: ShowBitList(IDC_ALARM_LIST, live.alarms); break;
    case kStatusCycles:
        if (live.cycles)
            SetDlgItemText(1024, QString::number(*live.cycles));
        break;
    case kStatusMos:
        if (live.mos)
            ShowMos(*live.mos);
        break;
    case kStatusProbes:
        if (live.probeCount)
            SetDlgItemText(1171, QString::number(*live.probeCount));
        break;
    case kStatusSoc:
        if (live.soc)
            ShowSoc(*live.soc);
        break;
    case kStatusDate: ShowDate(live, payload, 1157); break;
    case kStatusRemaining: ShowCapacity(1163, payload, batch ? static_cast<int>(payload.size()) : dataLength); break;
    case kStatusFull:
        if (!batch)
            ShowCapacity(1147, payload, dataLength);
        else if (live.fullMah)
            SetDlgItemText(1147, QString::number(*live.fullMah));
        break;
    default: break;
    }
    if (m_bRecordNow)
        RecordStatusItem(m_record, code, live);
    m_pChartFeed->OnShown(code);
}

namespace {
// Writes a row's cells, appending the row when it does not exist yet.
void PutRow(UserListCtrl *list, int row, const QStringList &cells)
{
    if (row >= list->GetItemCount()) {
        QStringList full = cells;
        while (full.size() < list->RowModel()->GetColumnCount())
            full.append(QString());
        list->AppendRow(full);
        return;
    }
    for (int c = 0; c < cells.size(); ++c)
        list->SetItemText(row, c, cells[c]);
}

void TrimRows(UserListCtrl *list, int keep)
{
    for (int r = list->GetItemCount() - 1; r >= keep; --r)
        list->DeleteItem(r);
}
} // namespace

void LiveStatusPage::ShowCells(const CellSummary &s)
{
    const int n = static_cast<int>(s.cells.size());
    for (int i = 0; i < n; ++i)
        PutRow(m_pCellList, i, {QString::number(i + 1), QString::number(s.cells[static_cast<std::size_t>(i)])});
    auto summary = CellSummaryRows(s);
    for (int k = 0; k < 3; ++k)
        PutRow(m_pCellList, n + k, {U8(summary[k][0]), U8(summary[k][1]), QString()});
    if (m_pCellList->m_bShowLatest)
        m_pCellList->EnsureVisible(n + 2);
    TrimRows(m_pCellList, n + 3);
}

void LiveStatusPage::ShowPower(const PowerReading &r, bool batch)
{
    if (r.voltageMv)
        SetDlgItemText(1173, QString::number(*r.voltageMv));
    if (r.currentMa) {
        SetDlgItemText(1175, QString::number(*r.currentMa));
        if (IsDlgButtonChecked(IDC_TIMED_REFRESH))
            DriveSocPicture(*r.currentMa);
    }
    const int t = static_cast<int>(r.temps.size());
    if (r.oddTail)
        d_assert_fail("CfgPageTen.cpp", __LINE__, "ps == pe");
    for (int j = 0; j < t; ++j) {
        QString value = U8(TenthsText(r.temps[static_cast<std::size_t>(j)]));
        if (j < m_pTempList->GetItemCount())
            m_pTempList->SetItemText(j, 1, value);
        else
            m_pTempList->AppendRow({tr("温度%1").arg(j + 1), value});
    }
    TrimRows(m_pTempList, t);
    if (batch)
        Trace("123=%d \n", t);
}

void LiveStatusPage::ShowExtremes(const std::array<std::optional<std::string>, kExtremeRows> &rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i])
            m_pExtremeList->SetItemText(static_cast<int>(i), 1, U8(*rows[i]));
}

void LiveStatusPage::ShowBalancing(std::uint32_t bits)
{
    int rows = BalancingRowCount(m_pCellList->GetItemCount());
    for (int r = 0; r < rows; ++r)
        m_pCellList->SetItemText(r, 2, QCoreApplication::translate("StatusDecode", BalancingText((bits >> r) & 1u)));
}

void LiveStatusPage::ShowBitList(int comboID, const std::vector<std::string> &names)
{
    auto *combo = Item<QComboBox>(comboID);
    combo->clear();
    // Shown in the window's language; recorded as decoded (the recording is Chinese).
    for (const std::string &name : names)
        combo->addItem(QCoreApplication::translate("StatusDecode", name.c_str()));
    combo->setCurrentIndex(0);
}

void LiveStatusPage::ShowMos(const MosState &m)
{
    auto show = [this](int id, bool on) {
        Item<LedLamp>(id)->SetLed(LedLamp::kGreen, on ? LedLamp::kBright : LedLamp::kGrey, LedLamp::kRound);
    };
    show(IDC_MOS_CHARGE, m.charge);
    show(IDC_MOS_DISCHARGE, m.discharge);
    show(IDC_MOS_PRE, m.preDischarge);
}

void LiveStatusPage::ShowSoc(const SocSoh &s)
{
    SetDlgItemText(1068, QString::number(s.soc));
    SetDlgItemText(1070, QString::number(s.soh));
    m_ucSoc = s.soc;
    if (!m_nAnimTimer && !IsDlgButtonChecked(IDC_TIMED_REFRESH))
        DrawSocPicture(false);
}

void LiveStatusPage::ShowDate(const LiveStatus &live, StatusBytes payload, int chkID)
{
    const std::optional<ProductionDate> &d = live.productionDate;
    if (!d) {
        // The picker keeps its date; the lamp and the system log say why.
        SetLedState(chkID, LED_ERROR);
        if (Host())
            Host()->WriteLog(3, QStringLiteral("生产日期"),
                             QStringLiteral("日期无效 ") +
                                 QString::fromStdString(HexText(payload.data(), payload.size())));
        return;
    }
    m_pDate->setDate(QDate(d->year, d->month, d->day));
}

void LiveStatusPage::ShowCapacity(int editID, StatusBytes payload, int lengthShown)
{
    CapacityText t = DecodeCapacity(payload, lengthShown);
    SetDlgItemText(editID, U8(t.text));
}

void LiveStatusPage::NoteBoardSn(const QString &sn)
{
    if (sn.isEmpty())
        return;
    const QString previous = m_strBoardSn;
    m_strBoardSn = sn;
    if (previous.isEmpty() || previous == sn)
        return;
    // Another board answers on this port (a swapped board after a reconnection):
    // its values start new series and a new record, never mixed with the other's.
    if (Host()) {
        Host()->WriteLog(4, QStringLiteral("板卡更换"),
                         QStringLiteral("串口上应答的板卡已更换：SN %1 → %2").arg(previous, sn));
        Host()->NoteBoardReplaced(previous, sn);
    }
    m_pChartFeed->OnBoardReplaced(sn);
    m_record = StatusRecord{};
}

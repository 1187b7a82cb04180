// Live status page: the fifteen items, the single-item reads and the decoding
// of every item's answer into the page's controls.
#include "app/framework/msgbox.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/livestatuspage_trace.h"
#include "app/pages/packchartfeed.h"
#include "app/pylvexapp.h"
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

PageBase::Refusal LiveStatusPage::RefusalFor(int nMode)
{
    if (nMode != -2)
        return {};
    return [](const QString &title, const QString &text) {
        if (theApp())
            theApp()->WriteLog(3, title, "%s", qUtf8Printable(text));
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
    switch (code) {
    case kStatusSn: SetDlgItemText(1162, U8(DecodeSnText(payload))); break;
    case kStatusVersions:
        if (std::optional<Versions> v = DecodeVersions(payload)) {
            SetDlgItemText(1150, U8(v->software));
            SetDlgItemText(1151, U8(v->hardware));
        }
        break;
    case kStatusCells: ShowCells(payload); break;
    case kStatusPower: ShowPower(payload, batch); break;
    case kStatusExtremes: ShowExtremes(payload, batch); break;
    case kStatusBalancing: ShowBalancing(payload); break;
    case kStatusProtection: ShowBitList(IDC_PROTECTION_LIST, ProtectionNames(payload), kRecProtection); break;
    case kStatusAlarm: ShowBitList(IDC_ALARM_LIST, AlarmNames(payload), kRecAlarm); break;
    case kStatusCycles:
        if (std::optional<std::uint16_t> n = DecodeCycles(payload))
            SetDlgItemText(1024, QString::number(*n));
        break;
    case kStatusMos: ShowMos(payload); break;
    case kStatusProbes:
        if (std::optional<std::uint8_t> n = DecodeProbeCount(payload)) {
            SetDlgItemText(1171, QString::number(*n));
            if (m_bRecordNow)
                m_record.fields[kRecProbeCount] = QString::number(*n);
        }
        break;
    case kStatusSoc: ShowSoc(payload); break;
    case kStatusDate: ShowDate(payload, 1157); break;
    case kStatusRemaining: ShowCapacity(1163, payload, batch ? static_cast<int>(payload.size()) : dataLength); break;
    case kStatusFull:
        if (!batch)
            ShowCapacity(1147, payload, dataLength);
        else if (std::optional<std::uint16_t> v = DecodeFullCapacityBlock(payload))
            SetDlgItemText(1147, QString::number(*v));
        break;
    default: break;
    }
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

void LiveStatusPage::ShowCells(StatusBytes payload)
{
    CellSummary s = DecodeCells(payload);
    m_pChartFeed->Shown().cells = s;
    const int n = static_cast<int>(s.cells.size());
    for (int i = 0; i < n; ++i)
        PutRow(m_pCellList, i, {QString::number(i + 1), QString::number(s.cells[static_cast<std::size_t>(i)])});
    auto summary = CellSummaryRows(s);
    for (int k = 0; k < 3; ++k)
        PutRow(m_pCellList, n + k, {U8(summary[k][0]), U8(summary[k][1]), QString()});
    if (m_pCellList->m_bShowLatest)
        m_pCellList->EnsureVisible(n + 2);
    TrimRows(m_pCellList, n + 3);
    if (!m_bRecordNow)
        return;
    m_record.cells.clear();
    for (std::uint16_t v : s.cells)
        m_record.cells.append(QString::number(v));
    m_record.fields[kRecHighCell] = QString::number(s.highest);
    m_record.fields[kRecHighCellNo] = QString::number(s.highestCell);
    m_record.fields[kRecLowCell] = QString::number(s.lowest);
    m_record.fields[kRecLowCellNo] = QString::number(s.lowestCell);
    m_record.fields[kRecCellDiff] = QString::number(s.difference);
    m_record.fields[kRecCellCount] = QString::number(n);
}

void LiveStatusPage::ShowPower(StatusBytes payload, bool batch)
{
    PowerReading r = DecodePower(payload);
    m_pChartFeed->Shown().power = r;
    QString state;
    if (r.voltageMv)
        SetDlgItemText(1173, QString::number(*r.voltageMv));
    if (r.currentMa) {
        SetDlgItemText(1175, QString::number(*r.currentMa));
        state = QString::fromUtf8(CurrentStateText(*r.currentMa));
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
    if (!m_bRecordNow)
        return;
    m_record.fields[kRecVoltage] = GetDlgItemText(1173);
    m_record.fields[kRecCurrent] = GetDlgItemText(1175);
    m_record.temps.clear();
    for (int j = 0; j < t; ++j)
        m_record.temps.append(m_pTempList->GetItemText(j, 1));
    auto probe = [](int p) { return p > 0 ? QStringLiteral("温度%1").arg(p) : QString(); };
    bool any = r.highestProbe > 0;
    m_record.fields[kRecHighTemp] = any ? U8(TenthsText(r.highest)) : QString();
    m_record.fields[kRecHighTempProbe] = probe(r.highestProbe);
    m_record.fields[kRecLowTemp] = any ? U8(TenthsText(r.lowest)) : QString();
    m_record.fields[kRecLowTempProbe] = probe(r.lowestProbe);
    m_record.fields[kRecTempDiff] = any ? U8(TenthsText(r.highest - r.lowest)) : QString();
    if (!state.isEmpty())
        m_record.fields[kRecSystemState] = state;
}

void LiveStatusPage::ShowExtremes(StatusBytes payload, bool batch)
{
    if (batch && payload.size() != kExtremeBytes)
        d_assert_fail("CfgPageTen.cpp", __LINE__, "p == pe");
    auto rows = DecodeExtremes(payload);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i])
            m_pExtremeList->SetItemText(static_cast<int>(i), 1, U8(*rows[i]));
}

void LiveStatusPage::ShowBalancing(StatusBytes payload)
{
    std::uint32_t bits = DecodeBalancing(payload);
    m_pChartFeed->Shown().balancing = bits;
    int rows = BalancingRowCount(m_pCellList->GetItemCount());
    for (int r = 0; r < rows; ++r)
        m_pCellList->SetItemText(r, 2, QCoreApplication::translate("StatusDecode", BalancingText((bits >> r) & 1u)));
}

void LiveStatusPage::ShowBitList(int comboID, const std::vector<std::string> &names, int recordField)
{
    auto *combo = Item<QComboBox>(comboID);
    combo->clear();
    // Shown in the window's language; recorded as decoded (the recording is Chinese).
    for (const std::string &name : names)
        combo->addItem(QCoreApplication::translate("StatusDecode", name.c_str()));
    combo->setCurrentIndex(0);
    if (m_bRecordNow && !names.empty())
        m_record.fields[static_cast<std::size_t>(recordField)] = U8(names.front());
}

void LiveStatusPage::ShowMos(StatusBytes payload)
{
    std::optional<MosState> m = DecodeMos(payload);
    if (!m)
        return;
    auto show = [this](int id, bool on) {
        Item<LedLamp>(id)->SetLed(LedLamp::kGreen, on ? LedLamp::kBright : LedLamp::kGrey, LedLamp::kRound);
    };
    show(IDC_MOS_CHARGE, m->charge);
    show(IDC_MOS_DISCHARGE, m->discharge);
    show(IDC_MOS_PRE, m->preDischarge);
}

void LiveStatusPage::ShowSoc(StatusBytes payload)
{
    std::optional<SocSoh> s = DecodeSoc(payload);
    if (!s)
        return;
    m_pChartFeed->Shown().soc = *s;
    SetDlgItemText(1068, QString::number(s->soc));
    SetDlgItemText(1070, QString::number(s->soh));
    m_ucSoc = s->soc;
    if (!m_nAnimTimer && !IsDlgButtonChecked(IDC_TIMED_REFRESH))
        DrawSocPicture(false);
    if (m_bRecordNow)
        m_record.fields[kRecSoc] = QString::number(s->soc);
}

void LiveStatusPage::ShowDate(StatusBytes payload, int chkID)
{
    std::optional<ProductionDate> d = DecodeProductionDate(payload);
    if (!d) {
        // The picker keeps its date; the lamp and the system log say why.
        SetLedState(chkID, LED_ERROR);
        if (theApp())
            theApp()->WriteLog(3, QStringLiteral("生产日期"), "日期无效 %s",
                               HexText(payload.data(), payload.size()).c_str());
        return;
    }
    m_pDate->setDate(QDate(d->year, d->month, d->day));
}

void LiveStatusPage::ShowCapacity(int editID, StatusBytes payload, int lengthShown)
{
    CapacityText t = DecodeCapacity(payload, lengthShown);
    SetDlgItemText(editID, U8(t.text));
}

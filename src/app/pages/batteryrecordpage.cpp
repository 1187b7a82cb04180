#include "app/pages/batteryrecordpage.h"

#include "app/framework/rxreports.h"
#include "app/widgets/listexport.h"
#include "app/widgets/logmenu.h"
#include "app/widgets/recordlistctrl.h"
#include "protocol/battery_record.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kNumberWidth = 80;
constexpr int kColumnWidth = 100;
} // namespace

BatteryRecordPage::BatteryRecordPage(PageHost *host, QWidget *parent) : RowPageBase(host, tr("电池记录"), parent) {}

std::vector<RxRoute> BatteryRecordPage::Routes() const
{
    return {PageRoute(0x85, 0x80 | kRecordCode, TAG_BATTERY_RECORDS)};
}

void BatteryRecordPage::OnInitDialog()
{
    BuildLayout();
    RowPageBase::OnInitDialog();
}

void BatteryRecordPage::BuildLayout()
{
    m_pList = new RecordListCtrl(this);
    RegisterControl(IDC_RECORD_LIST, m_pList);
    for (std::size_t c = 0; c < kRecordColumns; ++c) {
        m_columnNames << QString::fromUtf8(kRecordColumnNames[c]);
        m_pList->InsertColumn(static_cast<int>(c),
                              QCoreApplication::translate(kRecordTextContext, kRecordColumnNames[c]),
                              c == 0 ? kNumberWidth : kColumnWidth);
    }
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &BatteryRecordPage::ShowListMenu);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(MakeButton(IDC_CLEAR, tr("清空")));
    buttons->addWidget(MakeButton(IDC_READ, tr("读取")));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pList, 1);
    layout->addLayout(buttons);
}

void BatteryRecordPage::ReadParams(int)
{
    if (!CheckPortOpen())
        return;
    ResetReqCount();
    std::vector<std::uint8_t> payload = RecordReadPayload();
    SendFrame(payload.data(), payload.size());
}

void BatteryRecordPage::OnBtnClickClear()
{
    m_pList->DeleteAllItems();
}

void BatteryRecordPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    if (route.tag == TAG_BATTERY_RECORDS)
        OnBatteryRecords(frame, len);
}

void BatteryRecordPage::OnBatteryRecords(const std::uint8_t *frame, int len)
{
    if (CheckResponseQuiet(frame, len, 0))
        return;
    ResponseView view = ViewResponse(frame, len);
    auto records = DecodeBatteryRecords(view.AfterResult());
    if (!records)
        return;
    ListCtrlModel *model = m_pList->RowModel();
    for (const BatteryRecord &record : *records) {
        // Each of the thirteen texts in its own column, the number in the first.
        QStringList cells;
        for (const std::string &text : BatteryRecordTexts(record))
            cells << QString::fromStdString(text);
        model->TrimFront(RecordListCtrl::kMaxRows, RecordListCtrl::kDropRows);
        model->AppendRow(cells);
        if (m_bShowLatest)
            m_pList->ScrollToNewest();
    }
}

void BatteryRecordPage::FillLogMenu(QMenu &menu)
{
    FillLogListMenu(menu, m_pList, this,
                    {[this] { OnClickMenu_EXPORT(); }, [this] { OnClickMenu_LATEST(); }, m_bShowLatest});
}

void BatteryRecordPage::ShowListMenu(const QPoint &pos)
{
    QMenu menu(this);
    FillLogMenu(menu);
    menu.exec(m_pList->viewport()->mapToGlobal(pos));
}

void BatteryRecordPage::OnClickMenu_EXPORT()
{
    ExportPageList(this, *m_pList, m_columnNames, QStringLiteral("CCfgPageRecord::OnClickMenu_EXPORT"),
                   QStringLiteral("Log"), {tr("日志记录为空，没有可导出的内容！"), "日志导出成功", "日志导出失败"});
}

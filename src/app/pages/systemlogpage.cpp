#include "app/pages/systemlogpage.h"

#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/logmodel.h"
#include "app/widgets/capturebar.h"
#include "app/widgets/listexport.h"
#include "app/widgets/loglistctrl.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The gate boxes: control id, text, and the log level whose gate it sets (0: the raw echo).
struct GateBox {
    int id;
    const char *text;
    int level;
};
const GateBox kGateBoxes[] = {
    {IDC_LOG_ERROR, QT_TRANSLATE_NOOP("SystemLogPage", "错误"), 3},
    {IDC_LOG_WARNING, QT_TRANSLATE_NOOP("SystemLogPage", "警告"), 4},
    {IDC_LOG_INFO, QT_TRANSLATE_NOOP("SystemLogPage", "通知"), 6},
    {IDC_LOG_DEBUG, QT_TRANSLATE_NOOP("SystemLogPage", "调试"), 7},
    {IDC_LOG_RXECHO, QT_TRANSLATE_NOOP("SystemLogPage", "调试串口接收的数据："), 0},
};

// Columns of list 1289: name and width in pixels.
struct LogColumn {
    const char *name;
    int width;
};
const LogColumn kColumns[] = {{QT_TRANSLATE_NOOP("SystemLogPage", "类型"), 80},
                              {QT_TRANSLATE_NOOP("SystemLogPage", "时间"), 190},
                              {QT_TRANSLATE_NOOP("SystemLogPage", "动作"), 120},
                              {QT_TRANSLATE_NOOP("SystemLogPage", "内容"), 5000}};

// The save dialog and the workbook writer; tests put their own in its place.
SystemLogPage::ListExporter &Exporter()
{
    static SystemLogPage::ListExporter exporter =
        [](QWidget *parent, const LogListCtrl &list, const QStringList &columns, const QString &key,
           const QString &name) { return ExportListWithDialog(parent, list, columns, key, name); };
    return exporter;
}

} // namespace

SystemLogPage::ListExporter SystemLogPage::DefaultListExporter()
{
    return [](QWidget *parent, const LogListCtrl &list, const QStringList &columns, const QString &key,
              const QString &name) { return ExportListWithDialog(parent, list, columns, key, name); };
}

void SystemLogPage::SetListExporter(ListExporter exporter)
{
    Exporter() = std::move(exporter);
}

SystemLogPage::SystemLogPage(PageHost *host, QWidget *parent) : PageBase(host, tr("系统日志"), parent)
{
    if (host)
        connect(host, &PageHost::RxEchoByte, this, &SystemLogPage::AppendEcho);
}

void SystemLogPage::OnInitDialog()
{
    BuildLayout();
    PageBase::OnInitDialog();
}

void SystemLogPage::BuildLayout()
{
    auto *top = new QHBoxLayout;
    for (const GateBox &box : kGateBoxes) {
        QCheckBox *check = MakeCheck(box.id, tr(box.text));
        check->setChecked(Host() && Host()->LogGate(box.level));
        const int id = box.id;
        connect(check, &QCheckBox::clicked, this, [this, id](bool checked) { OnGateClicked(id, checked); });
        top->addWidget(check);
    }
    top->addWidget(MakeEdit(IDC_LOG_ECHO, true), 1);
    top->addWidget(MakeButton(IDC_CLEAR, tr("清空")));

    m_pList = new LogListCtrl(this);
    RegisterControl(IDC_LOG_LIST, m_pList);
    if (Host())
        m_pList->SetRowModel(Host()->LogRows());
    m_pList->SetImageList(LogListCtrl::LevelImageList());
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        m_columnNames << tr(kColumns[c].name);
        m_pList->SetColumnWidth(c, kColumns[c].width);
    }
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &SystemLogPage::ShowListMenu);
    // While show-latest is on every new row is brought into view (once per repaint).
    connect(m_pList->RowModel(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_bShowLatest)
            m_pList->ScrollToNewest();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new CaptureBar(this));
    layout->addWidget(m_pList, 1);
}

void SystemLogPage::OnGateClicked(int id, bool checked)
{
    for (const GateBox &box : kGateBoxes)
        if (box.id == id)
            if (Host())
                Host()->SetLogGate(box.level, checked);
}

void SystemLogPage::AppendEcho(std::uint8_t byte)
{
    if (byte == 0x4D || m_nEchoBytes >= kEchoBytes) {
        m_strEchoLine.clear();
        m_nEchoBytes = 0;
    }
    m_strEchoLine += QString::asprintf("%02X ", byte);
    ++m_nEchoBytes;
    SetDlgItemText(IDC_LOG_ECHO, m_strEchoLine);
}

void SystemLogPage::OnBtnClickClear()
{
    if (m_pList)
        m_pList->DeleteAllItems();
    m_strEchoLine.clear();
    m_nEchoBytes = 0;
    SetDlgItemText(IDC_LOG_ECHO, QString());
}

void SystemLogPage::FillLogMenu(QMenu &menu)
{
    menu.setTitle(tr("日志控件"));
    QAction *copy = menu.addAction(tr("复制（&C）"), this, &SystemLogPage::OnClickMenu_COPY);
    copy->setEnabled(m_pList && m_pList->GetSelectedCount() > 0);
    menu.addAction(tr("导出日志（&E）"), this, &SystemLogPage::OnClickMenu_EXPORT);
    menu.addAction(tr("清空日志（&D）"), this, &SystemLogPage::OnClickMenu_DELETE);
    QAction *latest = menu.addAction(tr("显示最新（&L）"), this, &SystemLogPage::OnClickMenu_LATEST);
    latest->setCheckable(true);
    latest->setChecked(m_bShowLatest);
}

void SystemLogPage::ShowListMenu(const QPoint &pos)
{
    QMenu menu(this);
    FillLogMenu(menu);
    menu.exec(m_pList->viewport()->mapToGlobal(pos));
}

void SystemLogPage::OnClickMenu_COPY()
{
    if (m_pList)
        m_pList->CopySelectedRows();
}

void SystemLogPage::OnClickMenu_DELETE()
{
    if (m_pList)
        m_pList->DeleteAllItems();
}

void SystemLogPage::OnClickMenu_LATEST()
{
    m_bShowLatest = !m_bShowLatest;
}

void SystemLogPage::OnClickMenu_EXPORT()
{
    if (!m_pList || m_pList->GetItemCount() == 0) {
        MessageBox(tr("日志记录为空，没有可导出的内容！"), tr("警告"), MB_ICONWARNING);
        return;
    }
    if (!Exporter())
        return;
    const QString name = DatedWorkbookName(QStringLiteral("Log"));
    std::optional<bool> written =
        Exporter()(this, *m_pList, m_columnNames, QStringLiteral("CCfgPageLog::OnClickMenu_EXPORT"), name);
    if (!written)
        return; // cancelled in the save dialog
    if (Host())
        Host()->WriteLog(6, QStringLiteral("Excel"),
                         *written ? QStringLiteral("日志导出成功") : QStringLiteral("日志导出失败"));
}

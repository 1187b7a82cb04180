#include "app/pages/batterylogpage.h"

#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/framework/rxreports.h"
#include "app/widgets/listexport.h"
#include "app/widgets/loglistctrl.h"
#include "app/widgets/logmenu.h"
#include "protocol/battery_log.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>
#include <iterator>

namespace {
const int kKindBoxes[kLogKinds] = {IDC_CELLLOG_SLEEP, IDC_CELLLOG_REGULAR, IDC_CELLLOG_ALARM, IDC_CELLLOG_PROTECT};
// Box texts; the alarm log's box says "报警日志", its rows say "告警日志".
const char *const kKindBoxTexts[kLogKinds] = {
    QT_TRANSLATE_NOOP("BatteryLogPage", "休眠唤醒"), QT_TRANSLATE_NOOP("BatteryLogPage", "常规日志"),
    QT_TRANSLATE_NOOP("BatteryLogPage", "报警日志"), QT_TRANSLATE_NOOP("BatteryLogPage", "保护日志")};

struct LogColumn {
    const char *name;
    int width;
};
// Also the column names of the export, which are written untranslated.
const LogColumn kColumns[] = {{QT_TRANSLATE_NOOP("BatteryLogPage", "序号"), 50},
                              {QT_TRANSLATE_NOOP("BatteryLogPage", "类型"), 100},
                              {QT_TRANSLATE_NOOP("BatteryLogPage", "时间"), 200},
                              {QT_TRANSLATE_NOOP("BatteryLogPage", "内容"), 400}};

QString LogText(const char *text)
{
    return text ? QCoreApplication::translate(kLogTextContext, text) : QString();
}

QString KindName(int kind)
{
    return LogText(LogKindName(kind));
}

void Trace(const std::string &text)
{
    if (text.empty())
        return;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

QString Now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
} // namespace

BatteryLogPage::BatteryLogPage(PageHost *host, QWidget *parent) : RowPageBase(host, tr("电池日志"), parent)
{
    if (host)
        connect(host, &PageHost::PortOpened, this, &BatteryLogPage::RestartClockSync);
}

std::vector<RxRoute> BatteryLogPage::Routes() const
{
    return {
        PageRoute(0x83, 0xA5, TAG_BOARD_TIME, true),
        PageRoute(0x83, kLogAckCode, TAG_BATTERY_LOG, true),
        PageRoute(0x83, kLogDataCode, TAG_BATTERY_LOG, true),
    };
}

QString BatteryLogPage::InvalidTimeText()
{
    return tr("无效时间");
}

void BatteryLogPage::OnInitDialog()
{
    BuildLayout();
    RowPageBase::OnInitDialog();
}

void BatteryLogPage::BuildLayout()
{
    auto *top = new QHBoxLayout;
    for (int k = 0; k < kLogKinds; ++k) {
        QCheckBox *box = MakeCheck(kKindBoxes[k], tr(kKindBoxTexts[k]));
        box->setChecked(m_kinds[k]);
        const int id = kKindBoxes[k];
        connect(box, &QCheckBox::clicked, this, [this, id] { OnKindClicked(id); });
        top->addWidget(box);
    }
    top->addWidget(MakeButton(IDC_CELLLOG_READ, tr("读取")));
    top->addStretch(1);
    top->addWidget(MakeCheck(IDC_CELLLOG_RXECHO, tr("调试串口接收的数据：")));
    top->addWidget(MakeEdit(IDC_CELLLOG_ECHO, true), 1);

    m_pList = new LogListCtrl(this);
    RegisterControl(IDC_CELLLOG_LIST, m_pList);
    for (const LogColumn &c : kColumns) {
        m_columnNames << QString::fromUtf8(c.name);
        m_pList->InsertColumn(m_pList->RowModel()->GetColumnCount(), tr(c.name), c.width);
    }
    // The content column takes the rest of the view: a long text is cut at its
    // edge (the tooltip shows all of it) and the other columns stay in sight.
    m_pList->horizontalHeader()->setStretchLastSection(true);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &BatteryLogPage::ShowListMenu);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pList, 1);
}

void BatteryLogPage::OnKindClicked(int id)
{
    for (int k = 0; k < kLogKinds; ++k) {
        CheckDlgButton(kKindBoxes[k], kKindBoxes[k] == id ? 1 : 0);
        m_kinds[k] = kKindBoxes[k] == id;
    }
}

int BatteryLogPage::SelectedKind() const
{
    for (int k = 0; k < kLogKinds; ++k)
        if (m_kinds[k])
            return k;
    return -1;
}

// ---------------------------------------------------------------- reading

void BatteryLogPage::OnBtnClickRead()
{
    if (!CheckPortOpen())
        return;
    if (m_lastRead.isValid() && m_lastRead.elapsed() < kReadGapMs) {
        RefuseTooFast();
        return;
    }
    m_lastRead.start();
    m_pList->DeleteAllItems();
    // Only the alarm and protection logs can be fetched.
    if (m_kinds[kLogAlarm]) {
        RequestBatteryLog(kLogAlarm);
        m_nLogKind = kLogAlarm;
    }
    if (m_kinds[kLogProtection]) {
        RequestBatteryLog(kLogProtection);
        m_nLogKind = kLogProtection;
    }
}

// The box closes itself after half a second.
void BatteryLogPage::RefuseTooFast()
{
    if (m_pTooFast)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, tr("警告"), tr("点击过快！"), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    m_pTooFast = box;
    SetTimer(kTooFastTimer, kTooFastCloseMs);
    RunModal(box);
    delete box;
}

void BatteryLogPage::RequestBatteryLog(int kind)
{
    std::vector<std::uint8_t> payload = LogRequestPayload(static_cast<std::uint8_t>(kind));
    SendFrame(payload.data(), payload.size());
}

void BatteryLogPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    if (route.tag == TAG_BATTERY_LOG)
        OnBatteryLogResponse(frame, len);
    else if (route.tag == TAG_BOARD_TIME)
        OnBoardTime(frame, len);
}

void BatteryLogPage::OnBatteryLogResponse(const std::uint8_t *frame, int len)
{
    const int k = m_nLogKind;
    ResponseView view = ViewResponse(frame, len);
    if (CheckResponseQuiet(frame, len, 0)) {
        if (view.ResultCode() != 0)
            AddLogRow(k, QString(), tr("获取日志失败LED"));
        return;
    }
    if (frame[3] == kLogAckCode) {
        SetTimer(kNoDataTimer + k, kNoDataMs);
        AddLogRow(k, QString(), tr("获取日志成功"));
    } else if (frame[3] == kLogDataCode) {
        KillTimer(kNoDataTimer + k);
        AddRecords(k, view.AfterResult());
    }
}

void BatteryLogPage::AddRecords(int kind, std::span<const std::uint8_t> payload)
{
    Trace(LogDataTrace(payload, kind));
    std::optional<BatteryLogData> decoded = DecodeBatteryLogData(payload);
    if (!decoded)
        return;
    for (const BatteryLogRow &row : BatteryLogRows(kind, *decoded)) {
        std::optional<std::string> when = LogTimeText(row.time);
        QString time = when ? QString::fromStdString(*when) : InvalidTimeText();
        QString content;
        switch (row.kind) {
        case BatteryLogRowKind::Events: {
            QStringList names;
            for (const char *name : row.names)
                names << LogText(name);
            content = names.join(QLatin1Char('|'));
            break;
        }
        case BatteryLogRowKind::AllNormal: content = LogText(LogAllNormalText(kind)); break;
        case BatteryLogRowKind::Invalid:
            content = QString::asprintf(LogText(kLogInvalidRecordFormat).toUtf8().constData(),
                                        static_cast<unsigned>(row.flags));
            break;
        }
        AddLogRow(kind, time, content);
    }
}

void BatteryLogPage::AddLogRow(int kind, const QString &time, const QString &content)
{
    ListCtrlModel *model = m_pList->RowModel();
    // The list is newest first: the oldest rows are at the bottom.
    if (model->GetItemCount() > kMaxRows)
        model->DeleteLastRows(kTrimRows);
    model->InsertRow(0,
                     {QString::number(model->GetItemCount()), KindName(kind), time.isEmpty() ? Now() : time, content});
    if (m_bShowLatest)
        m_pList->scrollToTop();
}

// ---------------------------------------------------------------- timers

void BatteryLogPage::OnTimer(int id)
{
    if (id == kClockTimer) {
        // A clock request inside an upgrade would corrupt a raw YModem packet
        // stream, or push out the answer a firmware block waits for: the tick
        // waits, and no try is counted.
        if (Host() && Host()->LineHeld())
            return;
        Apply(m_clock.OnTick(Host() && Host()->IsPortOpen(), std::time(nullptr)));
    } else if (id == kTooFastTimer) {
        KillTimer(kTooFastTimer);
        if (m_pTooFast)
            m_pTooFast->done(IDNO);
    } else if (id >= kNoDataTimer && id < kNoDataTimer + kLogKinds) {
        KillTimer(id);
        AddLogRow(m_nLogKind, QString(), tr("暂无%1").arg(KindName(id - kNoDataTimer)));
    }
}

// ---------------------------------------------------------------- board clock

void BatteryLogPage::RestartClockSync()
{
    KillTimer(kClockTimer);
    m_clock.Restart();
    SetTimer(kClockTimer, kClockPeriodMs);
}

void BatteryLogPage::OnBoardTime(const std::uint8_t *frame, int len)
{
    if (CheckResponseQuiet(frame, len, kClockNeed))
        return;
    ResponseView view = ViewResponse(frame, len);
    std::optional<BoardTime> board = DecodeBoardTime(view.AfterResult());
    if (board)
        Apply(m_clock.OnBoardTime(*board, Host() && Host()->IsPortOpen(), std::time(nullptr)));
}

void BatteryLogPage::Apply(const ClockSync::Step &step)
{
    if (!step.send.empty())
        SendFrame(step.send.data(), step.send.size());
    Trace(step.trace);
    if (step.stopTimer)
        KillTimer(kClockTimer);
}

// ---------------------------------------------------------------- list menu

void BatteryLogPage::OnBoardSwitch()
{
    // The rows belong to the board shown before; nothing is read unasked.
    m_pList->DeleteAllItems();
}

void BatteryLogPage::FillLogMenu(QMenu &menu)
{
    FillLogListMenu(menu, m_pList, this,
                    {[this] { OnClickMenu_EXPORT(); }, [this] { OnClickMenu_LATEST(); }, m_bShowLatest});
}

void BatteryLogPage::ShowListMenu(const QPoint &pos)
{
    QMenu menu(this);
    FillLogMenu(menu);
    menu.exec(m_pList->viewport()->mapToGlobal(pos));
}

void BatteryLogPage::OnClickMenu_EXPORT()
{
    ExportPageList(this, *m_pList, m_columnNames, QStringLiteral("CCfgPageCellLog::OnClickMenu_EXPORT"),
                   QStringLiteral("Log"), {tr("日志记录为空，没有可导出的内容！"), "日志导出成功", "日志导出失败"});
}

#include "app/pages/internaldebugpage.h"

#include "app/dialogs/filechooser.h"
#include "app/dialogs/filedialogex.h"
#include "app/dialogs/resistanceentrydialog.h"
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/framework/rxreports.h"
#include "app/widgets/userlistctrl.h"
#include "protocol/dassert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Rows in the order of the read walk (row 1, the upgrade request, never takes part).
const int kReadOrder[] = {IDC_FOR_DATE_CHK, IDC_FOR_VER_CHK, IDC_FOR_ARR_CHK, IDC_FOR_SN_CHK, IDC_FOR_MEASURED_CHK,
                          IDC_FOR_OCV_CHK,  IDC_FOR_CHG_CHK, IDC_FOR_DSG_CHK, IDC_FOR_REG_CHK};
// The write walk: the same rows; the two tables after the open-circuit voltages.
const int kWriteOrder[] = {IDC_FOR_DATE_CHK, IDC_FOR_VER_CHK, IDC_FOR_ARR_CHK, IDC_FOR_SN_CHK, IDC_FOR_MEASURED_CHK,
                           IDC_FOR_OCV_CHK,  IDC_FOR_CHG_CHK, IDC_FOR_DSG_CHK, IDC_FOR_REG_CHK};

// The running number of the register rows: it counts every register answer
// while the program runs.
unsigned g_registerRows = 0;

DataBytes AnswerData(const std::uint8_t *frame, int len)
{
    ResponseView v = ViewResponse(frame, len);
    return DataBytes(v.data, v.data ? static_cast<std::size_t>(v.avail) : 0);
}

QString FromStd(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

InternalDebugPage::InternalDebugPage(PageHost *host, QWidget *parent)
    : RowPageBase(host, tr("内部调试"), parent, PageAccess::Internal)
{
}

InternalDebugPage::~InternalDebugPage() = default;

unsigned InternalDebugPage::RegisterRowsShown()
{
    return g_registerRows;
}

std::vector<RxRoute> InternalDebugPage::Routes() const
{
    return {
        RowRoute(0x82, 0x81, IDC_FOR_UPGRADE_CHK),
        RowRoute(0x82, 0x82, IDC_FOR_REG_CHK),
        {0x82, 0x83, OP_VERSION, 7, 0, IDC_FOR_VER_CHK, IDC_FOR_VER_HW},
        RowRoute(0x82, 0x86, IDC_FOR_DSG_CHK),
        RowRoute(0x82, 0x87, IDC_FOR_CHG_CHK),
        RowRoute(0x82, 0x88, IDC_FOR_OCV_CHK),
        RowRoute(0x82, 0x89, IDC_FOR_DSG_CHK),
        RowRoute(0x82, 0x90, IDC_FOR_CHG_CHK),
        RowRoute(0x82, 0x91, IDC_FOR_OCV_CHK),
        RowRoute(0x82, 0xDB, IDC_FOR_SN_CHK),
        RowRoute(0x82, 0xDD, IDC_FOR_REG_CHK),
        RowRoute(0x82, 0xDE, IDC_FOR_ARR_CHK),
        RowRoute(0x82, 0xDF, IDC_FOR_ARR_CHK),
        RowRoute(0x82, 0xEA, IDC_FOR_DATE_CHK),
        ValueRoute(0x82, 0xEB, VT_I2, 3, IDC_FOR_MEASURED_CHK),
        ValueRoute(0x82, 0xEC, VT_I2, 3, IDC_FOR_MEASURED_CHK),
        RowRoute(0x83, 0x81, IDC_FOR_SN_CHK, true),
        RowRoute(0x83, 0xA0, IDC_FOR_DATE_CHK, true),
        SkipWhenMissing({0x83, 0xA6, OP_PAGE_IF_ACTIVE, 0, 0, IDC_FOR_UPGRADE_CHK}),
    };
}

void InternalDebugPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    switch (route.chk) {
    case IDC_FOR_UPGRADE_CHK: OnUpgradeAnswer(frame, len); break;
    case IDC_FOR_DATE_CHK: OnDateAnswer(frame, len); break;
    case IDC_FOR_ARR_CHK: OnArrangementAnswer(frame, len); break;
    case IDC_FOR_SN_CHK: OnSnAnswer(frame, len); break;
    case IDC_FOR_REG_CHK: OnRegisterAnswer(frame, len); break;
    case IDC_FOR_CHG_CHK:
    case IDC_FOR_DSG_CHK: OnResistanceAnswer(frame, len); break;
    case IDC_FOR_OCV_CHK: OnOcvAnswer(frame, len); break;
    default: d_assert(0); break;
    }
}

void InternalDebugPage::OnOcvAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedOcv, IDC_FOR_OCV_CHK, entry))
        return;
    const std::optional<FourteenValues> values = DecodeOcv(AnswerData(frame, len));
    if (!values)
        return;
    QString text;
    for (std::uint16_t mv : *values)
        text += QString::number(mv) + QLatin1Char(' ');
    SetDlgItemText(entry.nEditID, text);
}

// ---------------------------------------------------------------- layout

void InternalDebugPage::OnInitDialog()
{
    BuildLayout();
    RowPageBase::OnInitDialog();
}

void InternalDebugPage::InitReadOnly()
{
    AddReadOnly(IDC_FOR_VER_CHK);
}

void InternalDebugPage::BuildLayout()
{
    auto *grid = new QGridLayout;
    int row = 0;
    AddParamRow(grid, row, IDC_FOR_UPGRADE_CHK, tr("保护板在线升级："),
                {RowEdit(IDC_FOR_UPGRADE_EDIT, tr("（YModem升级协议）"))}, IDC_FOR_UPGRADE_LED);

    // Production date: the picker is the row's box.
    ++row;
    grid->addWidget(MakeCheck(IDC_FOR_DATE_CHK, tr("生产日期：")), row, 0);
    m_pDate = new QDateEdit(QDate::currentDate(), this);
    m_pDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // The board keeps the year as year - 2000 in one byte: only such dates can be written.
    m_pDate->setDateRange(QDate(2000, 1, 1), QDate(2255, 12, 31));
    m_pDate->setCalendarPopup(true);
    RegisterControl(IDC_FOR_DATE, m_pDate);
    m_pDateNote = new QLabel(this);
    auto *dateBox = new QHBoxLayout;
    dateBox->addWidget(m_pDate);
    dateBox->addWidget(m_pDateNote, 1);
    grid->addLayout(dateBox, row, 1);
    LedLamp *dateLed = MakeLed(IDC_FOR_DATE_LED);
    grid->addWidget(dateLed, row, 2);
    AddParam(ParamEntry{IDC_FOR_DATE_CHK, IDC_FOR_DATE, IDC_FOR_DATE_LED, dateLed});

    AddParamRow(grid, ++row, IDC_FOR_VER_CHK, tr("软硬件版本："),
                {RowEdit(IDC_FOR_VER_SW, {}, tr("软件"), true), RowEdit(IDC_FOR_VER_HW, {}, tr("硬件"), true)},
                IDC_FOR_VER_LED);
    AddParamRow(grid, ++row, IDC_FOR_ARR_CHK, tr("串数,并数,容量："),
                {RowEdit(IDC_FOR_SERIES, {}, tr("串数")), RowEdit(IDC_FOR_PARALLEL, {}, tr("并数")),
                 RowEdit(IDC_FOR_CAPACITY, {}, tr("标称容量(mAH)"))},
                IDC_FOR_ARR_LED);
    AddParamRow(grid, ++row, IDC_FOR_SN_CHK, tr("SN 码："), {RowEdit(IDC_FOR_SN)}, IDC_FOR_SN_LED);
    Item<QLineEdit>(IDC_FOR_SN)->setMaxLength(static_cast<int>(kSnFieldBytes));
    AddParamRow(grid, ++row, IDC_FOR_MEASURED_CHK, tr("电芯实测容量 (mAH)："), {RowEdit(IDC_FOR_MEASURED)},
                IDC_FOR_MEASURED_LED);
    AddParamRow(grid, ++row, IDC_FOR_OCV_CHK, tr("开路电压："), {RowEdit(IDC_FOR_OCV)}, IDC_FOR_OCV_LED);
    grid->addWidget(MakeButton(IDC_FOR_OCV_EDIT_BTN, tr("修改开路电压")), row, 3);

    // The two resistance rows: index, current and the fourteen values (the row's box).
    struct TableRowText {
        int chk, index, current, res, led, button;
        QString label, buttonText;
    };
    const TableRowText tableRows[] = {
        {IDC_FOR_CHG_CHK, IDC_FOR_CHG_INDEX, IDC_FOR_CHG_CURRENT, IDC_FOR_CHG_RES, IDC_FOR_CHG_LED,
         IDC_FOR_CHG_EDIT_BTN, tr("充电内阻："), tr("修改充电内阻")},
        {IDC_FOR_DSG_CHK, IDC_FOR_DSG_INDEX, IDC_FOR_DSG_CURRENT, IDC_FOR_DSG_RES, IDC_FOR_DSG_LED,
         IDC_FOR_DSG_EDIT_BTN, tr("放电内阻："), tr("修改放电内阻")},
    };
    for (const TableRowText &t : tableRows) {
        ++row;
        grid->addWidget(MakeCheck(t.chk, t.label), row, 0);
        auto *boxes = new QHBoxLayout;
        boxes->addWidget(new QLabel(tr("序号"), this));
        QLineEdit *index = MakeEdit(t.index);
        index->setMaximumWidth(40);
        boxes->addWidget(index);
        boxes->addWidget(new QLabel(tr("电流"), this));
        boxes->addWidget(MakeEdit(t.current));
        boxes->addWidget(new QLabel(tr("mA"), this));
        boxes->addWidget(MakeEdit(t.res), 3);
        grid->addLayout(boxes, row, 1);
        LedLamp *led = MakeLed(t.led);
        grid->addWidget(led, row, 2);
        QPushButton *edit = MakeButton(t.button, t.buttonText);
        edit->setVisible(false); // present, but not shown
        grid->addWidget(edit, row, 3);
        AddParam(ParamEntry{t.chk, t.res, t.led, led});
    }

    // The register block: name box with its history, the edit button.
    ++row;
    grid->addWidget(MakeCheck(IDC_FOR_REG_CHK, tr("读取寄存器：")), row, 0);
    m_pRegName = new QComboBox(this);
    m_pRegName->setEditable(true);
    m_pRegName->setInsertPolicy(QComboBox::NoInsert);
    RegisterControl(IDC_FOR_REG_NAME, m_pRegName);
    auto *regBox = new QHBoxLayout;
    regBox->addWidget(new QLabel(tr("名称"), this));
    regBox->addWidget(m_pRegName, 1);
    grid->addLayout(regBox, row, 1);
    LedLamp *regLed = MakeLed(IDC_FOR_REG_LED);
    grid->addWidget(regLed, row, 2);
    grid->addWidget(MakeButton(IDC_FOR_REG_EDIT_BTN, tr("修改寄存器值")), row, 3);
    AddParam(ParamEntry{IDC_FOR_REG_CHK, IDC_FOR_REG_NAME, IDC_FOR_REG_LED, regLed});
    grid->setColumnStretch(1, 1);

    auto *lists = new QHBoxLayout;
    lists->addWidget(BuildTableBox(), 1);
    lists->addWidget(BuildRegisterBox(), 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(MakeParamButtons(), 1);
    buttons->addWidget(MakeButton(IDC_FOR_IMPORT, tr("导入参数")));
    buttons->addWidget(MakeButton(IDC_FOR_EXPORT, tr("导出参数")));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(Item<QPushButton>(IDC_FOR_OCV_EDIT_BTN), &QPushButton::clicked, this, [this] { OpenFillIn(IDC_FOR_OCV); });
    connect(Item<QPushButton>(IDC_FOR_CHG_EDIT_BTN), &QPushButton::clicked, this,
            [this] { OpenFillIn(IDC_FOR_CHG_RES); });
    connect(Item<QPushButton>(IDC_FOR_DSG_EDIT_BTN), &QPushButton::clicked, this,
            [this] { OpenFillIn(IDC_FOR_DSG_RES); });
    connect(Item<QPushButton>(IDC_FOR_REG_EDIT_BTN), &QPushButton::clicked, this,
            &InternalDebugPage::OnBtnClickEditRegister);
    connect(Item<QPushButton>(IDC_FOR_IMPORT), &QPushButton::clicked, this, &InternalDebugPage::OnBtnClickImportParam);
    connect(Item<QPushButton>(IDC_FOR_EXPORT), &QPushButton::clicked, this, &InternalDebugPage::OnBtnClickExportParam);
}

QWidget *InternalDebugPage::BuildRegisterBox()
{
    m_pRegList = new UserListCtrl(this);
    m_pRegList->SetListId(IDC_FOR_REG_LIST);
    RegisterControl(IDC_FOR_REG_LIST, m_pRegList);
    m_pRegList->InsertColumn(0, tr("序号"), 60);
    m_pRegList->InsertColumn(1, tr("寄存器内容"), 600);
    return m_pRegList;
}

QString InternalDebugPage::DateNote() const
{
    return m_pDateNote ? m_pDateNote->text() : QString();
}

// ---------------------------------------------------------------- walks

void InternalDebugPage::ReadParams(int nChkID)
{
    if (nChkID == IDC_FOR_UPGRADE_CHK) {
        static const int kUpgradeOnly[] = {IDC_FOR_UPGRADE_CHK};
        RunReadWalk(nChkID, kUpgradeOnly, [this](int) {
            RequestUpgrade();
            return true;
        });
        return;
    }
    if (!LeaveUpgradeOutOfWalk(nChkID, kReadOrder))
        return;
    RunReadWalk(nChkID, kReadOrder, [this](int chk) { return QueueRead(chk); });
}

// Row 1 never takes part in "读取"/"写入": its tick is taken away. When it
// was the only row ticked, the user is told how an upgrade starts instead of
// being asked to tick a row; false then (nothing more to do).
bool InternalDebugPage::LeaveUpgradeOutOfWalk(int nChkID, std::span<const int> order)
{
    const bool ticked = nChkID < 0 && IsDlgButtonChecked(IDC_FOR_UPGRADE_CHK);
    CheckDlgButton(IDC_FOR_UPGRADE_CHK, 0);
    if (!ticked || std::any_of(order.begin(), order.end(), [this](int chk) { return IsDlgButtonChecked(chk) != 0; }))
        return true;
    MessageBox(tr("“保护板在线升级”不随“读取”“写入”进行：双击它的勾选框选择升级文件并发出升级请求，"
                  "板卡应答后升级开始。"),
               tr("警告"), MB_ICONWARNING);
    return false;
}

bool InternalDebugPage::QueueRead(int chk)
{
    switch (chk) {
    case IDC_FOR_DATE_CHK: return SendReadRequest(kCmdProductionDateRead.cls, kCmdProductionDateRead.code);
    case IDC_FOR_VER_CHK: return SendReadRequest(kCmdVersionsRead.cls, kCmdVersionsRead.code);
    case IDC_FOR_ARR_CHK: return SendReadRequest(kCmdArrangementRead.cls, kCmdArrangementRead.code);
    case IDC_FOR_SN_CHK: return SendReadRequest(kCmdSnRead.cls, kCmdSnRead.code);
    case IDC_FOR_MEASURED_CHK: return SendReadRequest(kCmdMeasuredCapacityRead.cls, kCmdMeasuredCapacityRead.code);
    case IDC_FOR_OCV_CHK: return SendReadRequest(kCmdOcvRead.cls, kCmdOcvRead.code);
    case IDC_FOR_CHG_CHK: return ReadTableRow(ResistanceTable::Charge);
    case IDC_FOR_DSG_CHK: return ReadTableRow(ResistanceTable::Discharge);
    case IDC_FOR_REG_CHK: return ReadRegister();
    default: d_assert(0); return false;
    }
}

void InternalDebugPage::WriteParams(int nChkID)
{
    if (nChkID == IDC_FOR_UPGRADE_CHK) {
        if (!CheckPortOpen())
            return;
        if (!m_strUpgradeFile.isEmpty())
            OpenUpgrade();
        return;
    }
    if (!LeaveUpgradeOutOfWalk(nChkID, kWriteOrder))
        return;
    // Every write walk starts the acknowledgement count of both tables anew.
    for (ResistanceTable t : {ResistanceTable::Charge, ResistanceTable::Discharge}) {
        Acks(t) = 0;
        SetTableLamp(t, false);
    }
    const bool bulk = nChkID < 0;
    RunWriteWalk(nChkID, kWriteOrder, [this, bulk](int chk) {
        switch (chk) {
        case IDC_FOR_DATE_CHK: return WriteDate();
        case IDC_FOR_ARR_CHK: return WriteArrangement();
        case IDC_FOR_SN_CHK: return WriteSn();
        case IDC_FOR_MEASURED_CHK:
            return WriteParam(kCmdMeasuredCapacityWrite.cls, kCmdMeasuredCapacityWrite.code, IDC_FOR_MEASURED, VT_I2,
                              -32768, 32767);
        case IDC_FOR_OCV_CHK: return WriteOcv();
        case IDC_FOR_CHG_CHK:
            return bulk ? WriteTable(ResistanceTable::Charge) : WriteTableRowFromBoxes(ResistanceTable::Charge);
        case IDC_FOR_DSG_CHK:
            return bulk ? WriteTable(ResistanceTable::Discharge) : WriteTableRowFromBoxes(ResistanceTable::Discharge);
        case IDC_FOR_REG_CHK: {
            Payload p = RegisterWritePayload(m_ucRegister);
            return SendFrame(p.data(), p.size());
        }
        default: d_assert(0); return false;
        }
    });
}

bool InternalDebugPage::WriteDate()
{
    const QDate date = m_pDate->date();
    Payload p = ProductionDatePayload(date.year(), date.month(), date.day());
    return SendFrame(p.data(), p.size());
}

bool InternalDebugPage::WriteArrangement()
{
    int series = 0, parallel = 0, capacity = 0;
    if (!GetEditInt(IDC_FOR_SERIES, series, 0, 255, true) || !GetEditInt(IDC_FOR_PARALLEL, parallel, 0, 255, true) ||
        !GetEditInt(IDC_FOR_CAPACITY, capacity, 0, 65535, true))
        return false;
    Payload p = ArrangementPayload(Arrangement{static_cast<std::uint8_t>(series), static_cast<std::uint8_t>(parallel),
                                               static_cast<std::uint16_t>(capacity)});
    return SendFrame(p.data(), p.size());
}

bool InternalDebugPage::WriteSn()
{
    const QString text = GetDlgItemText(IDC_FOR_SN).trimmed();
    if (text.isEmpty()) {
        RefuseBox(IDC_FOR_SN, tr("参数不能为空！"));
        return false;
    }
    // The board keeps the serial number as 8-bit text.
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk(text);
    Payload p = SnWritePayload(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return SendFrame(p.data(), p.size());
}

bool InternalDebugPage::WriteOcv()
{
    FourteenValues values{};
    bool openFillIn = false;
    if (!TakeFourteen(IDC_FOR_OCV, values, openFillIn)) {
        // A count other than fourteen, or a refused number: the values are
        // entered one by one instead, and that dialog writes the row.
        OpenFillIn(IDC_FOR_OCV);
        return false;
    }
    Payload p = OcvPayload(values);
    return SendFrame(p.data(), p.size());
}

void InternalDebugPage::RefuseBox(int editID, const QString &text)
{
    MessageBox(text, tr("警告"), MB_ICONWARNING);
    if (auto *edit = Item<QLineEdit>(editID)) {
        edit->setFocus();
        edit->selectAll();
    } else if (QWidget *w = GetDlgItem(editID)) {
        w->setFocus();
        if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->lineEdit())
            combo->lineEdit()->selectAll();
    }
}

// ---------------------------------------------------------------- upgrade

void InternalDebugPage::RequestUpgrade()
{
    FileDialogEx files(true, QStringLiteral("CCfgPageFor::ZXSJ_req"), QString(), tr("请选择升级文件"),
                       tr("Binary Files (*.bin *.hex);;All Files (*)"), this);
    const QString chosen = files.DoModal();
    if (chosen.isEmpty())
        return; // cancelled
    const QString path = chosen.trimmed();
    const QString error = UpgradeFileError(path);
    if (!error.isEmpty()) {
        RefuseBox(IDC_FOR_UPGRADE_EDIT, error);
        return;
    }
    m_strUpgradeFile = path;
    SetDlgItemText(IDC_FOR_UPGRADE_EDIT, tr("升级请求已发出,等待响应！"));
    SendReadRequest(kCmdBoardUpgrade.cls, kCmdBoardUpgrade.code);
}

void InternalDebugPage::OpenUpgrade()
{
    // One upgrade at a time: an answer arriving while the dialog runs opens no second one.
    if (m_pUpgrade)
        return;
    // The board's own loader takes the packets wrapped in frames.
    YModemUpgradeDialog dlg(Host(), YModemTransport::Wrapped, m_strUpgradeFile, this);
    m_pUpgrade = &dlg;
    RunModal(&dlg);
}

void InternalDebugPage::OnUpgradeAnswer(const std::uint8_t *frame, int len)
{
    if (IsRepeaterExitAnswer(AnswerData(frame, len))) {
        SetDlgItemText(IDC_FOR_UPGRADE_EDIT, tr("中继器已经退出 BMS 在线升级模式！"));
        return;
    }
    if (!Host() || Host()->ActivePage() != this) {
        SetDlgItemText(IDC_FOR_UPGRADE_EDIT, tr("响应时，页面处于非活动状态！"));
        return;
    }
    const QString received = tr("请求在线升级，收到响应！");
    if (!CheckAckResponse(frame, len, IDC_FOR_UPGRADE_CHK, IDC_FOR_UPGRADE_EDIT, &received))
        return;
    if (m_strUpgradeFile.isEmpty())
        SetDlgItemText(IDC_FOR_UPGRADE_EDIT, tr("请双击选择升级文件！"));
    else
        OpenUpgrade();
}

// ---------------------------------------------------------------- decoders

void InternalDebugPage::OnDateAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedProductionDate, IDC_FOR_DATE_CHK, entry))
        return;
    DataBytes bytes = AnswerData(frame, len);
    if (std::optional<ProductionDate> d = DecodeProductionDateAnswer(bytes)) {
        m_pDate->setDate(QDate(d->year, d->month, d->day));
        m_pDateNote->clear();
        return;
    }
    // The picker keeps its date; the note says what the board holds.
    const QString held = QString::asprintf("%u-%02u-%02u", 2000u + bytes[1], static_cast<unsigned>(bytes[2]),
                                           static_cast<unsigned>(bytes[3]));
    m_pDateNote->setText(tr("板上日期无效：%1").arg(held));
    if (Host())
        Host()->WriteLog(4, tr("生产日期"), tr("板上日期无效：%1").arg(held));
}

void InternalDebugPage::OnArrangementAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedArrangement, IDC_FOR_ARR_CHK, entry))
        return;
    if (std::optional<Arrangement> a = DecodeArrangement(AnswerData(frame, len))) {
        SetDlgItemInt(IDC_FOR_SERIES, a->series, false);
        SetDlgItemInt(IDC_FOR_PARALLEL, a->parallel, false);
        SetDlgItemInt(IDC_FOR_CAPACITY, a->capacity, false);
    }
}

void InternalDebugPage::OnSnAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedSn, IDC_FOR_SN_CHK, entry))
        return;
    SetDlgItemText(IDC_FOR_SN, FromStd(DecodeSnAnswer(AnswerData(frame, len))));
}

bool InternalDebugPage::ReadRegister()
{
    const QString name = m_pRegName->currentText().trimmed();
    if (name.isEmpty()) {
        // The name only labels the answer's rows: the request goes out all the same.
        RefuseBox(IDC_FOR_REG_NAME, tr("寄存器名称为空！"));
    } else {
        if (m_pRegName->findText(name) < 0)
            m_pRegName->insertItem(0, name);
        m_pRegName->setCurrentIndex(m_pRegName->findText(name));
    }
    Payload p = RegisterReadPayload();
    return SendFrame(p.data(), p.size());
}

void InternalDebugPage::OnRegisterAnswer(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedRegister, IDC_FOR_REG_CHK, entry))
        return;
    DataBytes bytes = AnswerData(frame, len);
    QString name = m_pRegName ? m_pRegName->currentText().trimmed() : tr("名称无");
    if (name.isEmpty())
        name = tr("名称空");
    m_pRegList->AddRow({tr("名称"), name});
    m_pRegList->AddRow({QString::number(++g_registerRows), FromStd(RegisterHexText(bytes))});
    MergeRegisterAnswer(bytes, m_ucRegister);
}

void InternalDebugPage::OnBtnClickEditRegister()
{
    std::array<std::int32_t, kRegisterBytes> values{};
    std::copy(m_ucRegister.begin(), m_ucRegister.end(), values.begin());
    ResistanceEntryDialog dlg(IDC_FOR_REG_NAME, values, this);
    if (RunModal(&dlg) != QDialog::Accepted)
        return;
    for (std::size_t i = 0; i < kRegisterBytes; ++i)
        m_ucRegister[i] = static_cast<std::uint8_t>(dlg.Values()[i]);
    WriteParams(IDC_FOR_REG_CHK);
}

// ---------------------------------------------------------------- "清空"

void InternalDebugPage::OnBtnClickClear()
{
    RowPageBase::OnBtnClickClear();
    for (int id : {IDC_FOR_VER_HW, IDC_FOR_PARALLEL, IDC_FOR_CAPACITY, IDC_FOR_CHG_CURRENT, IDC_FOR_CHG_INDEX,
                   IDC_FOR_DSG_CURRENT, IDC_FOR_DSG_INDEX})
        if (auto *edit = Item<QLineEdit>(id))
            edit->clear();
    for (int row = 0; row < m_pTable->GetItemCount(); ++row) {
        m_pTable->SetItemText(row, COL_CURRENT, QString());
        m_pTable->SetItemText(row, COL_RESISTANCE, QString());
    }
}

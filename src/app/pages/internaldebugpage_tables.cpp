// The internal resistance tables of "内部调试": the charge and discharge rows,
// the table list that collects both measurements of each table, their
// acknowledgement lamps, the fill-in dialog of the fourteen-value boxes and
// the measured-parameter files.
#include "app/dialogs/filedialogex.h"
#include "app/dialogs/resistanceentrydialog.h"
#include "app/framework/msgbox.h"
#include "app/framework/rxreports.h"
#include "app/pages/internaldebugpage.h"
#include "app/widgets/userlistctrl.h"
#include "files/measuredparams.h"
#include "protocol/dassert.h"
#include "protocol/int_input.h"
#include "protocol/text_numbers.h"

#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <limits>

struct InternalDebugPage::TableIds {
    int chk, index, current, res, editButton;
    int firstListRow; // list rows firstListRow and firstListRow + 1
};

namespace {
const InternalDebugPage::TableIds kCharge = {IDC_FOR_CHG_CHK, IDC_FOR_CHG_INDEX,    IDC_FOR_CHG_CURRENT,
                                             IDC_FOR_CHG_RES, IDC_FOR_CHG_EDIT_BTN, 0};
const InternalDebugPage::TableIds kDischarge = {IDC_FOR_DSG_CHK, IDC_FOR_DSG_INDEX,    IDC_FOR_DSG_CURRENT,
                                                IDC_FOR_DSG_RES, IDC_FOR_DSG_EDIT_BTN, 2};

QByteArray Utf8(const QString &text)
{
    return text.toUtf8();
}

std::string_view View(const QByteArray &bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The widest texts a column of the table list can hold: the two kinds, an
// index of 0 or 1, a signed 32-bit current, fourteen 16-bit values.
QStringList ColumnSamples(int column)
{
    switch (column) {
    case InternalDebugPage::COL_TYPE: return {InternalDebugPage::tr("充电内阻"), InternalDebugPage::tr("放电内阻")};
    case InternalDebugPage::COL_INDEX: return {QStringLiteral("0"), QStringLiteral("1")};
    case InternalDebugPage::COL_CURRENT:
        return {QString::number(std::numeric_limits<std::int32_t>::min()),
                QString::number(std::numeric_limits<std::int32_t>::max())};
    default: {
        FourteenValues most{};
        most.fill(65535);
        return {QString::fromStdString(ValuesText(most))};
    }
    }
}

// The width column needs for its widest text and for its heading.
int ColumnNeed(const UserListCtrl *list, int column)
{
    constexpr int kCellMargins = 2 * 3 + 4;
    int need = 0;
    for (const QString &text : ColumnSamples(column))
        need = std::max(need, list->fontMetrics().horizontalAdvance(text) + kCellMargins);
    const QHeaderView *header = list->horizontalHeader();
    const QString title = list->model()->headerData(column, Qt::Horizontal).toString();
    const int margin = list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int mark = list->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
    return std::max(need, header->fontMetrics().horizontalAdvance(title) + 2 * margin + mark);
}

// Gives every column of the table list room for its widest possible text; the
// values take whatever width is left beyond that.
class TableWidths : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            if (auto *list = qobject_cast<UserListCtrl *>(watched->parent()))
                Apply(list);
        return false;
    }
    static void Apply(UserListCtrl *list)
    {
        int used = 0;
        for (int c = 0; c <= InternalDebugPage::COL_RESISTANCE; ++c) {
            int width = ColumnNeed(list, c);
            if (c == InternalDebugPage::COL_RESISTANCE)
                width = std::max(width, list->viewport()->width() - used);
            list->SetColumnWidth(c, width);
            used += width;
        }
    }
};
} // namespace

const InternalDebugPage::TableIds &InternalDebugPage::Ids(ResistanceTable table)
{
    return table == ResistanceTable::Charge ? kCharge : kDischarge;
}

int &InternalDebugPage::Acks(ResistanceTable table)
{
    return table == ResistanceTable::Charge ? m_nChargeAcks : m_nDischargeAcks;
}

void InternalDebugPage::SetTableLamp(ResistanceTable table, bool bright)
{
    LedLamp *led = table == ResistanceTable::Charge ? m_pChargeLed : m_pDischargeLed;
    if (led)
        led->SetLed(LedLamp::kGreen, bright ? LedLamp::kBright : LedLamp::kDark, LedLamp::kSquare);
}

QWidget *InternalDebugPage::BuildTableBox()
{
    auto *box = new QWidget(this);
    m_pTable = new UserListCtrl(box);
    m_pTable->SetListId(IDC_FOR_TABLE_LIST);
    RegisterControl(IDC_FOR_TABLE_LIST, m_pTable);
    m_pTable->InsertColumn(COL_TYPE, tr("类型"), 50);
    m_pTable->InsertColumn(COL_INDEX, tr("序号"), 20);
    m_pTable->InsertColumn(COL_CURRENT, tr("电流"), 40);
    m_pTable->InsertColumn(COL_RESISTANCE, tr("内阻值"), 300);
    m_pTable->viewport()->installEventFilter(new TableWidths(m_pTable->viewport()));
    TableWidths::Apply(m_pTable);
    const QString types[4] = {tr("充电内阻"), QString(), tr("放电内阻"), QString()};
    for (int row = 0; row < 4; ++row)
        m_pTable->AppendRow({types[row], QString::number(row % 2), QString(), QString()});
    connect(m_pTable, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { OnClickTableRow(index.row()); });

    m_pChargeLed = MakeLed(IDC_FOR_CHG_TABLE_LED);
    m_pDischargeLed = MakeLed(IDC_FOR_DSG_TABLE_LED);
    for (ResistanceTable t : {ResistanceTable::Charge, ResistanceTable::Discharge}) {
        SetTableLamp(t, false);
        LedLamp *led = t == ResistanceTable::Charge ? m_pChargeLed : m_pDischargeLed;
        connect(led, &LedLamp::clicked, this, [this, t] { SetTableLamp(t, false); });
    }
    auto *lamps = new QVBoxLayout;
    lamps->addWidget(m_pChargeLed);
    lamps->addWidget(m_pDischargeLed);
    lamps->addStretch(1);
    auto *layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pTable, 0, 0);
    layout->addLayout(lamps, 0, 1);
    return box;
}

void InternalDebugPage::OnClickTableRow(int row)
{
    if (row < 0 || row >= 4)
        return;
    const TableIds &ids = row < 2 ? kCharge : kDischarge;
    SetDlgItemText(ids.index, m_pTable->GetItemText(row, COL_INDEX));
    SetDlgItemText(ids.current, m_pTable->GetItemText(row, COL_CURRENT));
    SetDlgItemText(ids.res, m_pTable->GetItemText(row, COL_RESISTANCE));
}

// ---------------------------------------------------------------- requests

bool InternalDebugPage::ReadTableRow(ResistanceTable table)
{
    const TableIds &ids = Ids(table);
    const CommandId read = ResistanceReadCommand(table);
    // The index typed in the box names the measurement; none reads the first.
    if (!GetDlgItemText(ids.index).isEmpty())
        return WriteParam(read.cls, read.code, ids.index, VT_UI1, 0, 1);
    Payload p = ResistanceReadPayload(table, 0);
    return SendFrame(p.data(), p.size());
}

bool InternalDebugPage::TakeFourteen(int editID, FourteenValues &values, bool &openFillIn)
{
    const QByteArray text = Utf8(GetDlgItemText(editID).trimmed());
    std::vector<std::string_view> pieces = SplitNumbers(View(text));
    openFillIn = pieces.size() != kMeasuredValues;
    if (openFillIn)
        return false;
    for (std::size_t i = 0; i < kMeasuredValues; ++i) {
        IntInput v = ParseIntInput(pieces[i], 0, 65535, true);
        if (!v.Ok()) {
            RefuseBox(editID, QString::fromStdString(IntInputMessage(v.error, 0, 65535, true)));
            return false;
        }
        values[i] = static_cast<std::uint16_t>(v.value);
    }
    return true;
}

bool InternalDebugPage::WriteTableRowFromBoxes(ResistanceTable table)
{
    const TableIds &ids = Ids(table);
    Measurement m;
    bool openFillIn = false;
    if (!TakeFourteen(ids.res, m.values, openFillIn)) {
        if (openFillIn)
            OpenFillIn(ids.res);
        return false;
    }
    int current = 0, index = 0;
    if (!GetEditInt(ids.current, current, INT_MIN, INT_MAX, true) || !GetEditInt(ids.index, index, 0, 1, true))
        return false;
    m.current = current;
    m.index = static_cast<std::uint8_t>(index);
    Payload p = ResistanceWritePayload(table, m);
    return SendFrame(p.data(), p.size());
}

bool InternalDebugPage::WriteTable(ResistanceTable table)
{
    const TableIds &ids = Ids(table);
    int queued = 0;
    for (int i = 0; i < 2; ++i) {
        const int row = ids.firstListRow + i;
        const QByteArray current = Utf8(m_pTable->GetItemText(row, COL_CURRENT));
        const QByteArray values = Utf8(m_pTable->GetItemText(row, COL_RESISTANCE));
        // A list row that is not a complete measurement is passed over.
        std::optional<Measurement> m = ParseTableRow(View(current), View(values), static_cast<std::uint8_t>(i));
        if (!m)
            continue;
        Payload p = ResistanceWritePayload(table, *m);
        if (!SendFrame(p.data(), p.size()))
            return false;
        ++queued;
    }
    Acks(table) = queued;
    if (queued == 0 && IsDlgButtonChecked(ids.chk)) {
        SetLedState(ids.chk, LED_IDLE);
        return WriteTableRowFromBoxes(table);
    }
    return true;
}

void InternalDebugPage::OnResistanceAnswer(const std::uint8_t *frame, int len)
{
    ResponseView v = ViewResponse(frame, len);
    if (len < 4)
        return;
    const std::uint8_t code = frame[3];
    std::optional<ResistanceTable> table = ResistanceTableOf(code);
    if (!table) {
        d_assert(0);
        return;
    }
    const TableIds &ids = Ids(*table);
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, kNeedResistance, ids.chk, entry))
        return;
    std::optional<ResistanceAnswer> a =
        DecodeResistance(DataBytes(v.data, v.data ? static_cast<std::size_t>(v.avail) : 0));
    if (!a)
        return;
    const QString values = QString::fromStdString(ValuesText(a->values));
    SetDlgItemText(ids.res, values);
    QString current;
    if (a->current) {
        current = QString::number(*a->current);
        SetDlgItemText(ids.current, current);
        SetDlgItemText(ids.index, QString::number(a->index));
    }
    std::optional<int> row = TableListRow(*table, a->index);
    if (!row)
        return;
    m_pTable->SetItemText(*row, COL_CURRENT, current);
    m_pTable->SetItemText(*row, COL_RESISTANCE, values);
    // Only the board's acknowledgement of a write counts towards the lamp: a
    // read answer says nothing about what was written.
    if ((code & 0x7F) != ResistanceWriteCommand(*table).code)
        return;
    Acks(*table) += a->index + 1;
    if (Acks(*table) == kTableAcksComplete)
        SetTableLamp(*table, true);
}

// ---------------------------------------------------------------- fill-in

void InternalDebugPage::OpenFillIn(int kind)
{
    const FillInKind *k = FillInKindOf(kind);
    if (!k || k->hex) {
        d_assert(0);
        return;
    }
    const QByteArray text = Utf8(GetDlgItemText(kind));
    std::array<std::int32_t, kMeasuredValues> prefill = FillInPrefill(View(text));
    ResistanceEntryDialog dlg(kind, prefill, this);
    if (RunModal(&dlg) != QDialog::Accepted)
        return;
    QString values;
    for (int i = 0; i < k->count; ++i)
        values += QString::asprintf("%d ", dlg.Values()[static_cast<std::size_t>(i)]);
    SetDlgItemText(kind, values);
    WriteParams(k->rowChkId);
}

// ---------------------------------------------------------------- files

MeasuredParams InternalDebugPage::CollectMeasured() const
{
    MeasuredParams p;
    p.series = GetDlgItemText(IDC_FOR_SERIES);
    p.parallel = GetDlgItemText(IDC_FOR_PARALLEL);
    p.nominalCapacity = GetDlgItemText(IDC_FOR_CAPACITY);
    p.measuredCapacity = GetDlgItemText(IDC_FOR_MEASURED);
    p.openCircuit = GetDlgItemText(IDC_FOR_OCV);
    for (int row = 0; row < static_cast<int>(p.rows.size()); ++row) {
        p.rows[row].current = m_pTable->GetItemText(row, COL_CURRENT);
        p.rows[row].resistances = m_pTable->GetItemText(row, COL_RESISTANCE);
    }
    return p;
}

void InternalDebugPage::ApplyMeasured(const MeasuredParams &p)
{
    SetDlgItemText(IDC_FOR_SERIES, p.series);
    SetDlgItemText(IDC_FOR_PARALLEL, p.parallel);
    SetDlgItemText(IDC_FOR_CAPACITY, p.nominalCapacity);
    SetDlgItemText(IDC_FOR_MEASURED, p.measuredCapacity);
    SetDlgItemText(IDC_FOR_OCV, p.openCircuit);
    for (int row = 0; row < static_cast<int>(p.rows.size()); ++row) {
        m_pTable->SetItemText(row, COL_CURRENT, p.rows[row].current);
        m_pTable->SetItemText(row, COL_RESISTANCE, p.rows[row].resistances);
    }
}

void InternalDebugPage::OnBtnClickImportParam()
{
    FileDialogEx files(true, QStringLiteral("CCfgPageFor::OnBtnClickImportParam"), QString(), tr("请选择实测参数文件"),
                       tr("*.ini (*.ini)"), this);
    const QString path = files.DoModal();
    if (path.isEmpty())
        return;
    MeasuredParams params;
    QString error;
    if (!ReadMeasuredParams(path, &params, &error)) {
        MessageBox(error, tr("错误"), MB_ICONERROR);
        return;
    }
    // Nothing goes to the board: "写 入" sends the values.
    ApplyMeasured(params);
}

void InternalDebugPage::OnBtnClickExportParam()
{
    FileDialogEx files(false, QStringLiteral("CCfgPageFor::OnBtnClickExportParam"), QStringLiteral("ini"),
                       MeasuredParamsFileName(QDate::currentDate()), tr("*.ini (*.ini)"), this);
    const QString path = files.DoModal();
    if (path.isEmpty())
        return;
    // The file is replaced only once the new one is complete.
    QString error;
    if (!WriteMeasuredParams(path, CollectMeasured(), &error))
        MessageBox(tr("文件未能写入，原文件保持不变，请另存文件名！\n%1").arg(error), tr("警告"), MB_ICONWARNING);
}

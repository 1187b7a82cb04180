#include "app/pages/paramrows.h"

#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/framework/parameterstore.h"
#include "app/widgets/profilebar.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <climits>

namespace {

// A text of the parameter table, in the window's language.
QString Text(const char *utf8)
{
    return utf8 ? QCoreApplication::translate("ParamTable", utf8) : QString();
}

VARTYPE Vt(ValueKind kind)
{
    return static_cast<VARTYPE>(kind);
}

// The framework takes its bounds as int; an unsigned 32-bit maximum travels as
// its bit pattern and is compared unsigned.
int Bound(std::int64_t value)
{
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

} // namespace

ParamRowPage::ParamRowPage(PageHost *host, const QString &caption, const ParamPageRows &rows, int columns,
                           QWidget *parent, PageAccess access)
    : RowPageBase(host, caption, parent, access), m_rows(rows), m_nColumns(columns < 1 ? 1 : columns)
{
}

void ParamRowPage::OnInitDialog()
{
    auto *outer = new QHBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(4);
    outer->addLayout(grid, 1);

    const int count = static_cast<int>(m_rows.rows.size());
    const int perColumn = (count + m_nColumns - 1) / m_nColumns;
    for (int i = 0; i < count; ++i)
        AddRow(grid, i % perColumn, i / perColumn, m_rows.rows[i]);
    grid->setRowStretch(perColumn, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(MakeCheck(IDC_SELECT_ALL, tr("全选")));
    buttons->addWidget(MakeButton(IDC_READ, tr("读 取")));
    buttons->addWidget(MakeButton(IDC_WRITE, tr("写 入")));
    buttons->addWidget(MakeButton(IDC_CLEAR, tr("清空")));
    if (Host())
        buttons->addWidget(new ProfileBar(Host(), this)); // profiles of both threshold pages
    buttons->addStretch(1);
    outer->addLayout(buttons);

    RowPageBase::OnInitDialog();
}

// One row: check-box with the label, the edit boxes each with its caption and
// unit, the lamp. A column of rows takes three grid columns.
void ParamRowPage::AddRow(QGridLayout *grid, int gridRow, int gridColumn, const PageParamRow &row)
{
    const int base = gridColumn * 3;
    grid->addWidget(MakeCheck(row.chkId, Text(row.label)), gridRow, base);
    auto *boxes = new QHBoxLayout;
    for (int i = 0; i < row.EditCount(); ++i) {
        if (i > 0)
            boxes->addSpacing(8);
        if (row.captions[i])
            boxes->addWidget(new QLabel(Text(row.captions[i]), this));
        // The record clearing answer is shown, never entered.
        boxes->addWidget(MakeEdit(row.editIds[i], row.format == RowFormat::RecordClear), 1);
        // Every unit takes the room of the widest, so the boxes line up; a row without one keeps it too.
        auto *unit = new QLabel(Text(row.units[i]), this);
        unit->setMinimumWidth(unit->fontMetrics().horizontalAdvance(Text("分钟")) + 2);
        boxes->addWidget(unit);
    }
    grid->addLayout(boxes, gridRow, base + 1);
    LedLamp *led = MakeLed(row.ledId);
    grid->addWidget(led, gridRow, base + 2);
    AddParam(ParamEntry{row.chkId, row.editIds[0], row.ledId, led});
}

void ParamRowPage::InitReadOnly()
{
    for (const PageParamRow &row : m_rows.rows)
        if (row.ReadOnly())
            AddReadOnly(row.chkId);
}

std::vector<int> ParamRowPage::ChkOrder(std::span<const int> numbers) const
{
    std::vector<int> ids;
    ids.reserve(numbers.size());
    for (int n : numbers)
        if (const PageParamRow *row = m_rows.Row(n))
            ids.push_back(row->chkId);
    return ids;
}

void ParamRowPage::ReadParams(int nChkID)
{
    const std::vector<int> order = ChkOrder(m_rows.readOrder);
    RunReadWalk(nChkID, order, [this](int chkID) { return QueueRead(chkID); });
}

void ParamRowPage::WriteParams(int nChkID)
{
    const std::vector<int> order = ChkOrder(m_rows.writeOrder);
    RunWriteWalk(nChkID, order, [this](int chkID) { return QueueWrite(chkID); });
}

bool ParamRowPage::QueueRead(int chkID)
{
    const PageParamRow *row = m_rows.RowByChk(chkID);
    if (!row || row->readCode == kNoCode)
        return false;
    return SendReadRequest(row->cls, static_cast<std::uint8_t>(row->readCode));
}

// Single values go through the framework's write (which scales the temperature
// boxes); the other rows check every box first and send nothing unless all
// of them are valid.
bool ParamRowPage::QueueWrite(int chkID)
{
    const PageParamRow *row = m_rows.RowByChk(chkID);
    if (!row || row->ReadOnly())
        return false;
    // Clearing the board's records is asked for every time, also inside a
    // bulk write ("全选" writes every row); No skips this row only.
    if (row->format == RowFormat::RecordClear && !ConfirmRecordClearing())
        return true;
    if (row->format == RowFormat::Value || row->format == RowFormat::Temperature)
        return WriteParam(row->cls, static_cast<std::uint8_t>(row->writeCode), row->editIds[0], Vt(row->kind),
                          Bound(row->min), Bound(row->max), WireScale(*row));
    std::array<std::int64_t, kMaxRowEdits> values{};
    for (int i = 0; i < row->writtenEdits; ++i) {
        int v = 0;
        if (!GetEditInt(row->editIds[i], v, Bound(row->min), Bound(row->max), true))
            return false;
        values[i] = v;
    }
    const std::vector<std::uint8_t> payload =
        WritePayload(*row, std::span<const std::int64_t>(values.data(), row->writtenEdits));
    if (payload.empty())
        return false;
    return SendFrame(payload.data(), payload.size());
}

bool ParamRowPage::ConfirmRecordClearing()
{
    return MessageBox(tr("写入“记录清除”会清除保护板中保存的全部记录，且无法恢复。\n确定要清除吗？"), tr("确认"),
                      MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

std::vector<RxRoute> ParamRowPage::RowRoutes(const ParamPageRows &rows)
{
    std::vector<RxRoute> routes;
    for (const PageParamRow &row : rows.rows) {
        for (int code : {row.readCode, row.writeCode}) {
            if (code == kNoCode)
                continue;
            const auto cls = static_cast<std::uint8_t>(row.cls | 0x80);
            const auto answer = static_cast<std::uint8_t>(code | 0x80);
            switch (row.format) {
            case RowFormat::Value:
            case RowFormat::RecordClear:
                routes.push_back(RxRoute{cls, answer, OP_VALUE, static_cast<std::uint8_t>(ResponseNeed(row, answer)),
                                         Vt(row.kind), row.chkId});
                break;
            case RowFormat::Temperature: routes.push_back(TempRoute(answer, row.chkId)); break;
            default: routes.push_back(RowRoute(cls, answer, row.chkId)); break;
            }
        }
    }
    return routes;
}

void ParamRowPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    OnRowResponse(route.chk, frame, len);
}

void ParamRowPage::OnRowResponse(int nChkID, const std::uint8_t *frame, int len)
{
    const PageParamRow *row = m_rows.RowByChk(nChkID);
    if (!row || !frame || len < 5)
        return;
    const int need = ResponseNeed(*row, frame[3]);
    switch (row->format) {
    case RowFormat::Value:
    case RowFormat::RecordClear: ParseValueResponse(frame, len, need, nChkID, Vt(row->kind)); break;
    case RowFormat::Temperature: ParseTempResponse(frame, len, nChkID); break;
    default: ShowRowTexts(*row, frame, len); break;
    }
    OnRowAnswered(nChkID);
}

void ParamRowPage::OnRowAnswered(int nChkID)
{
    const PageParamRow *row = m_rows.RowByChk(nChkID);
    if (!row || !Host() || row->id >= ParamId::WakeSource)
        return;
    ParamEntry entry;
    bool ok = false;
    double value = 0;
    if (LookupParam(nChkID, entry) && entry.pLedCtrl && entry.pLedCtrl->ColourRow() == LedLamp::kGreen &&
        entry.pLedCtrl->ColumnIndex() == LedLamp::kBright)
        value = GetDlgItemText(entry.nEditID).trimmed().toDouble(&ok);
    if (ok)
        Host()->Parameters().Set(row->id, value);
    else
        Host()->Parameters().Forget(row->id);
}

void ParamRowPage::ShowRowTexts(const PageParamRow &row, const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!LookupParam(row.chkId, entry))
        return;
    if (CheckResponse(frame, len, ResponseNeed(row, frame[3]), entry))
        return;
    const auto texts = DecodeRowTexts(row, frame[3], FrameData(frame, static_cast<std::size_t>(len)));
    if (!texts)
        return;
    for (std::size_t i = 0; i < texts->size() && i < static_cast<std::size_t>(row.EditCount()); ++i)
        SetDlgItemText(row.editIds[i], QString::fromStdString((*texts)[i]));
}

bool ParamRowPage::OnParamResponse(const std::uint8_t *frame, int len)
{
    if (!frame || len < 5)
        return false;
    const PageParamRow *row = m_rows.RowByResponse(frame[2], frame[3]);
    if (!row)
        return false;
    OnRowResponse(row->chkId, frame, len);
    return true;
}

void ParamRowPage::OnBtnClickClear()
{
    for (const PageParamRow &row : m_rows.rows)
        if (Host() && row.id < ParamId::WakeSource)
            Host()->Parameters().Forget(row.id);
    for (const PageParamRow &row : m_rows.rows)
        for (int i = 0; i < row.EditCount(); ++i)
            if (auto *edit = Item<QLineEdit>(row.editIds[i]))
                edit->clear();
}

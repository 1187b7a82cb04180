#include "app/dialogs/profilecomparedialog.h"

#include "app/framework/msgbox.h"
#include "app/framework/pagebase.h"
#include "app/framework/pagehost.h"
#include "app/framework/profilerunner.h"
#include "app/framework/rowpagebase.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor kDiffers(255, 226, 222);
const QColor kUnanswered(255, 243, 205);

} // namespace

ProfileCompareDialog::ProfileCompareDialog(PageHost &host, const QString &path, const Profile &profile,
                                           const ParamExchange &reads, const QStringList &notices, bool applying,
                                           QWidget *parent)
    : QDialog(parent), m_host(host), m_path(path), m_profile(profile), m_notices(notices), m_runner(host)
{
    setWindowTitle(applying ? tr("应用参数文件 %1").arg(path) : tr("与参数文件比较 %1").arg(path));
    auto *layout = new QVBoxLayout(this);
    m_pNotice = new QLabel(this);
    m_pNotice->setWordWrap(true);
    m_pNotice->setStyleSheet(QStringLiteral("color: #a04000;"));
    m_pNotice->setText(notices.join(u'\n'));
    m_pNotice->setVisible(!notices.isEmpty());
    layout->addWidget(m_pNotice);

    m_pTable = new QTableWidget(this);
    m_pTable->setColumnCount(ColCount);
    m_pTable->setHorizontalHeaderLabels(
        {tr("页面"), tr("参数"), tr("单位"), tr("板卡值"), tr("文件值"), tr("比较"), tr("写入结果")});
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->verticalHeader()->hide();
    m_pTable->setColumnHidden(ColResult, !applying);
    layout->addWidget(m_pTable, 1);

    m_pOnlyDiff = new QCheckBox(tr("只显示不同项"), this);
    connect(m_pOnlyDiff, &QCheckBox::toggled, this, &ProfileCompareDialog::ApplyFilter);
    m_pStatus = new QLabel(this);
    auto *buttons = new QDialogButtonBox(this);
    m_pWrite = new QPushButton(tr("写入勾选的参数"), this);
    if (applying)
        buttons->addButton(m_pWrite, QDialogButtonBox::ActionRole);
    else
        m_pWrite->hide(); // the comparison alone writes nothing
    connect(m_pWrite, &QPushButton::clicked, this, &ProfileCompareDialog::OnWrite);
    connect(buttons->addButton(tr("关闭"), QDialogButtonBox::RejectRole), &QPushButton::clicked, this,
            &ProfileCompareDialog::reject);
    layout->addWidget(m_pOnlyDiff);
    layout->addWidget(m_pStatus);
    layout->addWidget(buttons);

    connect(&m_runner, &ProfileRunner::StepFinished, this, &ProfileCompareDialog::OnStepFinished);
    connect(&m_runner, &ProfileRunner::Finished, this, &ProfileCompareDialog::OnWriteFinished);
    Fill(reads);
    resize(900, 640);
}

ProfileCompareDialog::~ProfileCompareDialog() = default;

void ProfileCompareDialog::SetCell(int row, int column, const QString &text)
{
    auto *item = m_pTable->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_pTable->setItem(row, column, item);
    }
    item->setText(text);
}

void ProfileCompareDialog::Fill(const ParamExchange &reads)
{
    const std::vector<ParamStep> &steps = reads.Steps();
    const auto count = static_cast<int>(m_profile.entries.size());
    m_pTable->setRowCount(count);
    int differing = 0, unanswered = 0;
    for (int i = 0; i < count; ++i) {
        const ProfileEntry &e = m_profile.entries[static_cast<std::size_t>(i)];
        const ParamStep *step = i < static_cast<int>(steps.size()) ? &steps[static_cast<std::size_t>(i)] : nullptr;
        const bool answered = step && step->key == e.key && step->Ok();
        const bool differs = answered && StoredValues(*e.key, step->values) != e.values;
        m_rows.push_back({&e, answered, differs});
        const PageBase *page = PageShowingParam(m_host, *e.key);
        SetCell(i, ColPage, page ? page->Caption() : QString());
        SetCell(i, ColLabel, KeyLabel(*e.key));
        SetCell(i, ColUnit, KeyUnitText(*e.key));
        QString verdict;
        if (answered) {
            SetCell(i, ColBoard, ValuesPlain(*e.key, step->values));
            verdict = differs ? tr("不同") : tr("相同");
        } else {
            SetCell(i, ColBoard, QString());
            verdict = !step || step->outcome == ParamOutcome::Pending || step->outcome == ParamOutcome::NoAnswer
                          ? tr("板卡未应答")
                          : tr("板卡未给出（%1）").arg(step->error);
            ++unanswered;
        }
        SetCell(i, ColFile, ValuesPlain(*e.key, e.values));
        SetCell(i, ColVerdict, verdict);
        SetCell(i, ColResult, QString());
        QTableWidgetItem *label = m_pTable->item(i, ColLabel);
        label->setFlags(label->flags() | Qt::ItemIsUserCheckable);
        label->setCheckState(differs ? Qt::Checked : Qt::Unchecked);
        label->setData(Qt::UserRole, QString::fromLatin1(e.key->key));
        if (differs || !answered) {
            ++differing;
            for (int c = 0; c < ColCount; ++c)
                m_pTable->item(i, c)->setBackground(differs ? kDiffers : kUnanswered);
        }
    }
    differing -= unanswered;
    m_pTable->resizeColumnsToContents();
    m_pStatus->setText(tr("共 %1 个参数：%2 个不同，%3 个板卡未给出值").arg(count).arg(differing).arg(unanswered));
}

int ProfileCompareDialog::RowCount() const
{
    return static_cast<int>(m_rows.size());
}

const ParamKey *ProfileCompareDialog::RowKey(int row) const
{
    return m_rows[static_cast<std::size_t>(row)].entry->key;
}

bool ProfileCompareDialog::RowChecked(int row) const
{
    return m_pTable->item(row, ColLabel)->checkState() == Qt::Checked;
}

void ProfileCompareDialog::SetRowChecked(int row, bool checked)
{
    m_pTable->item(row, ColLabel)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool ProfileCompareDialog::RowHidden(int row) const
{
    return m_pTable->isRowHidden(row);
}

QString ProfileCompareDialog::CellText(int row, int column) const
{
    const QTableWidgetItem *item = m_pTable->item(row, column);
    return item ? item->text() : QString();
}

void ProfileCompareDialog::ApplyFilter()
{
    const bool only = m_pOnlyDiff->isChecked();
    for (int i = 0; i < RowCount(); ++i) {
        const Row &r = m_rows[static_cast<std::size_t>(i)];
        m_pTable->setRowHidden(i, only && !r.differs && r.answered);
    }
}

void ProfileCompareDialog::OnWrite()
{
    if (m_runner.Running())
        return;
    std::vector<int> chosen;
    for (int i = 0; i < RowCount(); ++i)
        if (RowChecked(i))
            chosen.push_back(i);
    if (chosen.empty()) {
        MessageBox(this, tr("请先勾选需要写入的参数！"), tr("警告"), MB_ICONWARNING);
        return;
    }
    if (!m_host.IsPortOpen()) {
        MessageBox(this, tr("请先打开串口后再进行操作！"), tr("警告"), MB_ICONWARNING);
        return;
    }
    QString question = tr("将把参数文件中的 %1 个参数写入板卡，每个写入后读回确认。").arg(chosen.size());
    if (!m_notices.isEmpty())
        question += u'\n' + tr("注意：%1").arg(m_notices.join(u'\n'));
    question += u'\n' + tr("确定要写入吗？");
    if (MessageBox(this, question, tr("确认"), MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    m_write = std::make_unique<ParamExchange>();
    m_writeRows = chosen;
    for (int i : chosen) {
        const ProfileEntry *e = m_rows[static_cast<std::size_t>(i)].entry;
        m_write->AddWrite(*e->key, e->values);
        SetCell(i, ColResult, tr("等待写入"));
    }
    m_pWrite->setEnabled(false);
    m_pTable->setEnabled(false);
    m_pStatus->setText(tr("正在写入 %1 个参数…").arg(chosen.size()));
    m_writeStart = QDateTime::currentMSecsSinceEpoch();
    if (!m_runner.Start(m_write.get())) {
        m_pStatus->setText(tr("无法开始写入：串口没有打开"));
        m_pWrite->setEnabled(true);
        m_pTable->setEnabled(true);
    }
}

void ProfileCompareDialog::OnStepFinished(int step)
{
    if (!m_write || step < 0 || step >= static_cast<int>(m_writeRows.size()))
        return;
    const ParamStep &s = m_write->Steps()[static_cast<std::size_t>(step)];
    const int row = m_writeRows[static_cast<std::size_t>(step)];
    SetCell(row, ColResult, StepOutcomeText(s));
    if (!s.values.empty()) {
        SetCell(row, ColBoard, ValuesPlain(*s.key, s.values));
        Row &r = m_rows[static_cast<std::size_t>(row)];
        r.answered = true;
        r.differs = StoredValues(*s.key, s.values) != r.entry->values;
        SetCell(row, ColVerdict, r.differs ? tr("不同") : tr("相同"));
        for (int c = 0; c < ColCount; ++c)
            m_pTable->item(row, c)->setBackground(r.differs ? kDiffers : QBrush());
    }
}

void ProfileCompareDialog::OnWriteFinished()
{
    m_writeMs = QDateTime::currentMSecsSinceEpoch() - m_writeStart;
    int confirmed = 0, refused = 0, different = 0, other = 0;
    for (std::size_t i = 0; i < m_write->Steps().size(); ++i) {
        const ParamStep &s = m_write->Steps()[i];
        switch (s.outcome) {
        case ParamOutcome::Confirmed: ++confirmed; break;
        case ParamOutcome::Refused: ++refused; break;
        case ParamOutcome::Different: ++different; break;
        default:
            ++other;
            SetCell(m_writeRows[i], ColResult, StepOutcomeText(s));
            break;
        }
    }
    QString text = tr("写入完成：%1 个已确认，%2 个被板卡拒绝，%3 个读回不同，%4 个未完成")
                       .arg(confirmed)
                       .arg(refused)
                       .arg(different)
                       .arg(other);
    if (!m_runner.StopReason().isEmpty())
        text += tr("（中止：%1）").arg(m_runner.StopReason());
    m_pStatus->setText(text);
    m_pTable->setEnabled(true);
    m_pWrite->setEnabled(true);
}

void ProfileCompareDialog::reject()
{
    m_runner.Cancel(tr("已取消"));
    QDialog::reject();
}

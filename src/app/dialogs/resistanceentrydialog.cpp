#include "app/dialogs/resistanceentrydialog.h"

#include "app/framework/msgbox.h"
#include "protocol/dassert.h"
#include "protocol/debug_cmds.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// clang-format off
const std::array<ResistanceEntryDialog::BoxIds, ResistanceEntryDialog::kBoxes> kBoxIds = {{
    {1075, 1074}, {1076, 1077}, {1079, 1078}, {1080, 1081}, {1083, 1082},
    {1085, 1084}, {1086, 1087}, {1089, 1088}, {1090, 1091}, {1092, 1093},
    {1094, 1095}, {1097, 1096}, {1098, 1099}, {1100, 1101}, {1102, 1103},
    {1105, 1104}, {1107, 1106}, {1108, 1109}, {1111, 1110}, {1113, 1112},
}};
// clang-format on
constexpr int kRows = 10; // two columns of ten pairs

QString FromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

const std::array<ResistanceEntryDialog::BoxIds, ResistanceEntryDialog::kBoxes> &ResistanceEntryDialog::Boxes()
{
    return kBoxIds;
}

ResistanceEntryDialog::ResistanceEntryDialog(int kind, std::span<const std::int32_t> values, QWidget *parent)
    : QDialog(parent), m_pKind(FillInKindOf(kind)), m_nKind(kind)
{
    d_assert(m_pKind != nullptr);
    m_nCount = m_pKind ? m_pKind->count : 0;
    for (std::size_t i = 0; i < values.size() && i < m_values.size(); ++i)
        m_values[i] = values[i];

    const QString name = m_pKind ? QCoreApplication::translate("FillInKind", m_pKind->name) : QString();
    setWindowTitle(tr("设置") + name);
    auto *grid = new QGridLayout;
    for (int i = 0; i < kBoxes; ++i) {
        auto *label = new QLabel(name + QLatin1Char(' ') + QString::number(i + 1), this);
        auto *edit = new QLineEdit(this);
        RegisterControl(kBoxIds[i].label, label);
        RegisterControl(kBoxIds[i].edit, edit);
        const int column = (i / kRows) * 2;
        grid->addWidget(label, i % kRows, column);
        grid->addWidget(edit, i % kRows, column + 1);
        if (i >= m_nCount) {
            label->hide();
            edit->hide();
            continue;
        }
        if (IsRegisterMode())
            edit->setMaxLength(2);
        edit->setText(FromUtf8(FillInValueText(*m_pKind, m_values[i])));
    }
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ResistanceEntryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ResistanceEntryDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

bool ResistanceEntryDialog::IsRegisterMode() const
{
    return m_pKind && m_pKind->hex;
}

void ResistanceEntryDialog::Refuse(int editId, const QString &text)
{
    ::MessageBox(this, text, tr("警告"), MB_ICONWARNING);
    if (auto *edit = Item<QLineEdit>(editId)) {
        edit->setFocus();
        edit->selectAll();
    }
}

void ResistanceEntryDialog::accept()
{
    if (!m_pKind)
        return;
    std::array<std::int32_t, kBoxes> accepted = m_values;
    for (int i = 0; i < m_nCount; ++i) {
        const int editId = kBoxIds[i].edit;
        const QByteArray text = GetDlgItemText(editId).trimmed().toUtf8();
        FillInValue v = ParseFillInValue(*m_pKind, std::string_view(text.constData(), text.size()));
        switch (v.check) {
        case FillInCheck::Ok: accepted[i] = v.value; continue;
        case FillInCheck::Empty: Refuse(editId, tr("参数不能为空！")); return;
        case FillInCheck::NotNumber: Refuse(editId, tr("请输入有效的十六进制字符串！")); return;
        case FillInCheck::OutOfRange:
            Refuse(editId, tr("参数的有效范围是 %1 至 %2 之间的整数！").arg(0).arg(m_pKind->max));
            return;
        }
    }
    m_values = accepted;
    QDialog::accept();
}

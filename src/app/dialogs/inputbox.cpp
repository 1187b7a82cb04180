#include "app/dialogs/inputbox.h"

#include "app/dialogs/okcancel.h"
#include "app/framework/msgbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
// The value is read with at most this many characters.
constexpr int kMaxValueLength = 255;
} // namespace

InputBox::InputBox(QWidget *parent) : QDialog(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *prompt = new QLabel(QStringLiteral("Caption"), this);
    RegisterControl(IDC_INPUT_PROMPT, prompt);
    layout->addWidget(prompt);
    m_pEdit = new QLineEdit(this);
    m_pEdit->setMaxLength(kMaxValueLength);
    RegisterControl(IDC_INPUT_VALUE, m_pEdit);
    layout->addWidget(m_pEdit);
    AddOkCancel(this, *this, layout, [this] { OnOK(); });
}

void InputBox::InitDialog()
{
    m_bInitialised = true;
    setWindowTitle(m_strTitle);
    SetDlgItemText(IDC_INPUT_PROMPT, m_strCaption);
    m_pEdit->setText(m_strValue);
    m_pEdit->selectAll();
    if (!m_strOkText.isEmpty())
        SetDlgItemText(IDOK, m_strOkText);
    if (!m_strCancelText.isEmpty())
        SetDlgItemText(IDCANCEL, m_strCancelText);
}

void InputBox::showEvent(QShowEvent *event)
{
    if (!m_bInitialised)
        InitDialog();
    QDialog::showEvent(event);
}

void InputBox::OnOK()
{
    const QString value = m_pEdit->text().left(kMaxValueLength).trimmed();
    if (value.isEmpty()) {
        ::MessageBox(this, tr("输入值不能为空！"), tr("警告"), MB_ICONWARNING);
        m_pEdit->setFocus();
        m_pEdit->selectAll();
        return;
    }
    m_strValue = value;
    accept();
}

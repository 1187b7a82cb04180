#include "app/framework/msgbox.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
MsgBoxHook g_msgBoxHook;
ModalHook g_modalHook;

QMessageBox::Icon IconOf(int flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
} // namespace

int MessageBox(QWidget *parent, const QString &text, const QString &caption, int flags)
{
    MsgBoxCall call{text, caption, flags};
    if (g_msgBoxHook)
        return g_msgBoxHook(call);
    QMessageBox box(IconOf(flags), caption, text, QMessageBox::NoButton, parent);
    if (call.IsYesNo()) {
        QPushButton *yes = box.addButton(QCoreApplication::translate("MsgBox", "是(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QCoreApplication::translate("MsgBox", "否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(call.DefaultAnswer() == IDNO ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? IDYES : IDNO;
    }
    box.addButton(QCoreApplication::translate("MsgBox", "确定"), QMessageBox::AcceptRole);
    box.exec();
    return IDOK;
}

int RunModal(QDialog *dialog)
{
    if (g_modalHook)
        return g_modalHook(dialog);
    return dialog->exec();
}

void SetMsgBoxHook(MsgBoxHook hook)
{
    g_msgBoxHook = std::move(hook);
}

void SetModalHook(ModalHook hook)
{
    g_modalHook = std::move(hook);
}

MsgBoxRecorder::MsgBoxRecorder()
{
    SetMsgBoxHook([this](const MsgBoxCall &call) {
        m_shown.push_back(call);
        if (m_answers.empty())
            return call.DefaultAnswer();
        int answer = m_answers.front();
        m_answers.erase(m_answers.begin());
        return answer;
    });
}

MsgBoxRecorder::~MsgBoxRecorder()
{
    SetMsgBoxHook(nullptr);
}

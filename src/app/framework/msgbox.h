// The one message box of the program, and the one runner of modal dialogs.
// Both can be answered by a test through a hook, so no test waits on a window.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QDialog;
class QWidget;

// Flags in the manner of the platform message box: buttons, icon, default button.
inline constexpr int MB_OK = 0x0;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int MB_DEFBUTTON2 = 0x100;

inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MsgBoxCall {
    QString text;
    QString caption;
    int flags = 0;
    bool IsYesNo() const { return (flags & 0xF) == MB_YESNO; }
    int Icon() const { return flags & 0xF0; }
    // The answer a user pressing Enter would give.
    int DefaultAnswer() const
    {
        if (!IsYesNo())
            return IDOK;
        return (flags & MB_DEFBUTTON2) ? IDNO : IDYES;
    }
};

// Shows a message box (or hands it to the hook) and returns IDOK, IDYES or IDNO.
int MessageBox(QWidget *parent, const QString &text, const QString &caption, int flags);

// Runs a dialog modally (or hands it to the hook) and returns its result code.
int RunModal(QDialog *dialog);

using MsgBoxHook = std::function<int(const MsgBoxCall &)>;
using ModalHook = std::function<int(QDialog *)>;
// With a hook installed nothing is shown; the hook's return value is the answer.
void SetMsgBoxHook(MsgBoxHook hook);
void SetModalHook(ModalHook hook);

// For tests: records every message box and answers each with a queued answer,
// or with its default button once the queue is empty. Restores the previous
// state when it goes out of scope.
class MsgBoxRecorder {
public:
    MsgBoxRecorder();
    ~MsgBoxRecorder();
    MsgBoxRecorder(const MsgBoxRecorder &) = delete;
    MsgBoxRecorder &operator=(const MsgBoxRecorder &) = delete;

    void Answer(int answer) { m_answers.push_back(answer); }
    const std::vector<MsgBoxCall> &Shown() const { return m_shown; }
    int Count() const { return static_cast<int>(m_shown.size()); }
    QString LastText() const { return m_shown.empty() ? QString() : m_shown.back().text; }
    void Clear() { m_shown.clear(); }

private:
    std::vector<MsgBoxCall> m_shown;
    std::vector<int> m_answers;
};

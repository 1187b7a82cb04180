// The dialog "文件发送": sends a chosen file over the terminal's current
// link in 1024-byte pieces with a progress bar and a log. The pieces go out
// as the link drains, so the window stays responsive; the send can be
// stopped, and a piece the link does not take or a link that closes ends it
// with a log line that says so.
#pragma once

#include "link/filesender.h"

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

inline constexpr int IDC_SENDFILE_LOAD = 111075; // "载入文件"
inline constexpr int IDC_SENDFILE_SEND = 111078; // "发送文件" / "停止发送"
inline constexpr int IDC_SENDFILE_LOG = 111077;
inline constexpr int IDC_SENDFILE_PROGRESS = 111074;

class SendFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit SendFileDialog(TermLink *link, QWidget *parent = nullptr);
    ~SendFileDialog() override;

    QString SendPath() const { return m_strSendPath; }
    void SetSendPath(const QString &path) { m_strSendPath = path; }
    bool IsSending() const { return m_sender.IsSending(); }

    void OnBtnClickLoad();
    // Sends the loaded file; while a send runs, stops it.
    void OnBtnClickSend();

    QPlainTextEdit *Log() const { return m_pLog; }
    QProgressBar *Progress() const { return m_pProgress; }
    QPushButton *SendButton() const { return m_pSend; }

protected:
    void reject() override;

private:
    void AppendLog(const QString &text);
    void OnFinished(FileSender::Outcome outcome);

    QString m_strSendPath;
    FileSender m_sender;
    QPlainTextEdit *m_pLog = nullptr;
    QProgressBar *m_pProgress = nullptr;
    QPushButton *m_pSend = nullptr;
};

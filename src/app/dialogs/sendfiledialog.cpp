#include "app/dialogs/sendfiledialog.h"

#include "app/dialogs/filedialogex.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

SendFileDialog::SendFileDialog(TermLink *link, QWidget *parent) : QDialog(parent), m_sender(link)
{
    setWindowTitle(tr("文件发送"));
    auto *layout = new QVBoxLayout(this);
    auto *buttons = new QHBoxLayout;
    auto *load = new QPushButton(tr("载入文件"), this);
    load->setObjectName(QStringLiteral("load"));
    m_pSend = new QPushButton(tr("发送文件"), this);
    for (QPushButton *b : {load, m_pSend}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    m_pLog = new QPlainTextEdit(this);
    m_pLog->setReadOnly(true);
    layout->addWidget(m_pLog, 1);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setRange(0, 10);
    m_pProgress->setValue(0);
    layout->addWidget(m_pProgress);
    resize(420, 300);

    connect(load, &QPushButton::clicked, this, &SendFileDialog::OnBtnClickLoad);
    connect(m_pSend, &QPushButton::clicked, this, &SendFileDialog::OnBtnClickSend);
    connect(&m_sender, &FileSender::Started, this, [this](qint64 size, int range) {
        AppendLog(tr(">> 文件大小：%1 B").arg(size) + QStringLiteral("\r\n") + tr("<< 正在发送...") +
                  QStringLiteral("\r\n"));
        m_pProgress->setRange(0, range);
        m_pProgress->setValue(0);
        m_pSend->setText(tr("停止发送"));
    });
    connect(&m_sender, &FileSender::Progress, m_pProgress, &QProgressBar::setValue);
    connect(&m_sender, &FileSender::Finished, this, &SendFileDialog::OnFinished);
}

SendFileDialog::~SendFileDialog()
{
    m_sender.disconnect(this);
    m_sender.Cancel();
}

void SendFileDialog::AppendLog(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(u'\n'))
        shown.chop(1);
    m_pLog->appendPlainText(shown);
    m_pLog->verticalScrollBar()->setValue(m_pLog->verticalScrollBar()->maximum());
}

void SendFileDialog::OnBtnClickLoad()
{
    if (m_sender.IsSending())
        return;
    m_pProgress->setValue(0);
    FileDialogEx dialog(true, QStringLiteral("CSendFile::OnBtnClickLoad"), QString(), QString(),
                        tr("文本文件 (*.txt);;所有文件 (*)"), this);
    QString path = dialog.DoModal();
    if (path.isEmpty())
        return;
    m_strSendPath = path;
    AppendLog(tr(">> %1 载入成功").arg(QDir::toNativeSeparators(path)) + QStringLiteral("\r\n"));
}

void SendFileDialog::OnBtnClickSend()
{
    if (m_sender.IsSending()) {
        m_sender.Cancel();
        return;
    }
    m_sender.Start(m_strSendPath);
}

void SendFileDialog::OnFinished(FileSender::Outcome outcome)
{
    m_pSend->setText(tr("发送文件"));
    const qint64 sent = m_sender.SentBytes();
    switch (outcome) {
    case FileSender::Outcome::Sent:
        AppendLog(tr(">> 发送成功！") + QStringLiteral("\r\n") +
                  tr("--------------------我是分隔线--------------------") + QStringLiteral("\r\n"));
        break;
    case FileSender::Outcome::NoFile: AppendLog(tr(">> Error：文件不存在") + QStringLiteral("\r\n")); break;
    case FileSender::Outcome::OpenFailed:
        AppendLog(tr(">> Error：文件无法打开：%1").arg(QDir::toNativeSeparators(m_strSendPath)) +
                  QStringLiteral("\r\n"));
        break;
    case FileSender::Outcome::ReadFailed:
        AppendLog(tr(">> Error：读取文件失败，发送中止（已发送 %1 B）").arg(sent) + QStringLiteral("\r\n"));
        break;
    case FileSender::Outcome::LinkRefused:
        AppendLog(tr(">> Error：链路未接收数据，发送中止（已发送 %1 B）").arg(sent) + QStringLiteral("\r\n"));
        break;
    case FileSender::Outcome::LinkClosed:
        AppendLog(tr(">> Error：链路已断开，发送中止（已发送 %1 B）").arg(sent) + QStringLiteral("\r\n"));
        break;
    case FileSender::Outcome::Cancelled:
        AppendLog(tr(">> 发送已停止（已发送 %1 B）").arg(sent) + QStringLiteral("\r\n"));
        break;
    }
}

void SendFileDialog::reject()
{
    // Closing the dialog stops a running send.
    m_sender.Cancel();
    QDialog::reject();
}

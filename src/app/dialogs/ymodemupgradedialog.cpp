#include "app/dialogs/ymodemupgradedialog.h"

#include "app/dialogs/upgradelog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/widgets/userlistctrl.h"
#include "files/upgradefile.h"
#include "link/linksettings.h"
#include "link/winmsg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

YModemUpgradeDialog::YModemUpgradeDialog(PageHost *host, YModemTransport transport, const QString &filePath,
                                         QWidget *parent)
    : QDialog(parent), m_host(host), m_transport(transport), m_timers([this](int id) { OnTimer(id); }, this)
{
    setWindowTitle(tr("在线升级过程"));
    resize(570, 336);
    if (m_transport == YModemTransport::Wrapped) {
        m_interval.emplace(YModemWrappedInterval(GlobalLinkSettings().cmdSndInvl.load()));
    }

    m_pList = new UserListCtrl(this);
    m_pList->SetListId(IDC_YM_LOG);
    m_pList->InsertColumn(0, tr("时间"), 80);
    m_pList->InsertColumn(1, tr("升级过程"), 440);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    RegisterControl(IDC_YM_LOG, m_pList);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(0);
    RegisterControl(IDC_YM_PROGRESS, m_pProgress);
    m_pFollow = new QCheckBox(tr("刷新显示"), this);
    RegisterControl(IDC_YM_FOLLOW, m_pFollow);
    auto *restart = new QPushButton(tr("重新升级"), this);
    RegisterControl(IDC_YM_RESTART, restart);
    auto *row = new QHBoxLayout;
    row->addWidget(m_pProgress, 1);
    row->addWidget(m_pFollow);
    row->addWidget(restart);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pList, 1);
    layout->addLayout(row);
    connect(restart, &QPushButton::clicked, this, &YModemUpgradeDialog::OnBtnClickRestart);

    YModemSink &sink = *this;
    m_sender = std::make_unique<YModemSender>(sink, QFile::encodeName(filePath).toStdString(),
                                              transport == YModemTransport::Wrapped);
    const std::optional<std::string> announced = YModemAnnouncedName(filePath);
    m_nameRefused = !announced;
    m_sender->SetAnnouncedName(announced.value_or(std::string()));

    // Opening: the rows, the port's YModem bytes to this dialog from now on.
    m_pFollow->setChecked(true);
    LogText(tr("选择升级文件，") + filePath);
    LogText(tr("下位机即将重启 ..."));
    if (m_nameRefused)
        LogText(YModemNameRefusal(filePath));
    else
        LogText(tr("上位机等待接收字符C ..."));
    if (m_host)
        m_host->SetYModemReceiver(this);
}

YModemUpgradeDialog::~YModemUpgradeDialog()
{
    m_timers.KillTimer(kYmTimerId);
    if (m_host) {
        // Blocks still waiting go; a cancel still waiting, or the cancel of a
        // transfer left in the middle, goes out after them.
        const bool open = m_host->IsPortOpen();
        const bool cancel = open && ((m_cancelQueued && !m_host->TxQueueEmpty()) ||
                                     (!m_cancelQueued && m_sender->Block0Sent() && !m_sender->Finished()));
        if (open)
            m_host->ClearQueues();
        if (cancel) {
            static constexpr std::uint8_t kCancel[] = {kYmCan, kYmCan};
            Transmit(kCancel, sizeof kCancel);
        }
        if (m_transport == YModemTransport::Wrapped) {
            m_interval.reset(); // the closing frame goes out at the user's interval
            m_host->SendRaw(kYModemClosingFrame, sizeof kYModemClosingFrame);
        }
        m_host->SetYModemReceiver(nullptr);
    }
    m_sender.reset(); // closes the file
}

QStringList YModemUpgradeDialog::Rows() const
{
    QStringList rows;
    for (int i = 0; i < m_pList->GetItemCount(); ++i)
        rows << m_pList->GetItemText(i, 1);
    return rows;
}

void YModemUpgradeDialog::SetRetryTiming(int timerMs, int resendAfterMs)
{
    m_retryMs = timerMs;
    m_sender->SetResendAfterMs(resendAfterMs);
}

void YModemUpgradeDialog::OnBtnClickRestart()
{
    if (m_nameRefused) {
        LogText(YModemNameRefusal(QFile::decodeName(QByteArray::fromStdString(m_sender->Path()))));
        return;
    }
    m_sender->Restart();
}

void YModemUpgradeDialog::reject()
{
    if (!m_sender->Finished() &&
        MessageBox(this, tr("您确信要退出在线升级？"), tr("确认"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    QDialog::reject();
}

bool YModemUpgradeDialog::event(QEvent *e)
{
    if (static_cast<int>(e->type()) == WM_YMODEM_SIGNAL) {
        if (m_nameRefused)
            return true;
        m_sender->OnEvent(static_cast<int>(static_cast<WinMsgEvent *>(e)->wParam()));
        return true;
    }
    return QDialog::event(e);
}

void YModemUpgradeDialog::OnTimer(int id)
{
    if (id != kYmTimerId)
        return;
    m_timers.KillTimer(kYmTimerId);
    PostMsg(this, WM_YMODEM_SIGNAL, YM_EVT_TIMEOUT);
}

void YModemUpgradeDialog::LogText(const QString &text)
{
    AppendUpgradeRow(m_pList, m_pFollow, {}, text);
}

void YModemUpgradeDialog::Log(const UpgradeRow &row)
{
    LogText(UpgradeRowText(kYmRowContext, row));
}

void YModemUpgradeDialog::Transmit(const std::uint8_t *bytes, std::size_t count)
{
    if (!m_host)
        return;
    if (count == 2 && bytes[0] == kYmCan && bytes[1] == kYmCan)
        m_cancelQueued = true;
    if (m_transport == YModemTransport::Raw) {
        for (std::size_t at = 0; at < count; at += kYmRawChunk)
            m_host->SendRaw(bytes + at, std::min(kYmRawChunk, count - at));
        return;
    }
    for (const Payload &frame : WrapYModemBytes(bytes, count))
        m_host->SendFrame(frame.data(), frame.size());
}

void YModemUpgradeDialog::ArmTimer(int ms)
{
    m_timers.SetTimer(kYmTimerId, ms == kYmRetryMs ? m_retryMs : ms);
}

void YModemUpgradeDialog::KillTimer()
{
    m_timers.KillTimer(kYmTimerId);
}

void YModemUpgradeDialog::ClearQueues()
{
    m_cancelQueued = false; // gone with the rest
    if (m_host && m_host->IsPortOpen())
        m_host->ClearQueues();
}

void YModemUpgradeDialog::SetProgress(long long pos, long long max)
{
    m_pProgress->setRange(0, static_cast<int>(std::max(max, 1LL)));
    m_pProgress->setValue(static_cast<int>(pos));
}

bool YModemUpgradeDialog::PacketRows() const
{
    return !m_pFollow->isChecked();
}

std::uint32_t YModemUpgradeDialog::NowMs() const
{
    if (m_clock)
        return m_clock();
    return static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
}

// "在线升级过程": sends a firmware file to a loader that speaks YModem
// (YModemSender). While it lives it is the port's YModem receiver: the
// board's 'C', ACK, NAK and CAN arrive as WM_YMODEM_SIGNAL. The packets go
// out raw (a loader behind the repeater) or wrapped in class 0x02 code 0x01
// frames (the board's own loader, reached from the internal debug page).
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/framework/wndtimer.h"
#include "link/linksettings.h"
#include "protocol/ymodem.h"

#include <QDialog>
#include <QPointer>

#include <optional>

#include <functional>
#include <memory>

class PageHost;
class UserListCtrl;
class QCheckBox;
class QProgressBar;

inline constexpr int IDD_UPGRADE = 152;
inline constexpr int IDC_YM_LOG = 1390;
inline constexpr int IDC_YM_RESTART = 1393;
inline constexpr int IDC_YM_FOLLOW = 1394;
inline constexpr int IDC_YM_PROGRESS = 1395;

enum class YModemTransport { Raw, Wrapped };

class YModemUpgradeDialog : public QDialog, public CtrlRegistry, private YModemSink {
    Q_OBJECT
public:
    YModemUpgradeDialog(PageHost *host, YModemTransport transport, const QString &filePath, QWidget *parent = nullptr);
    ~YModemUpgradeDialog() override;

    // "重新升级".
    void OnBtnClickRestart();
    // Close box and Esc: asks first unless the upgrade has succeeded.
    void reject() override;

    // For tests and tools.
    const YModemSender &Sender() const { return *m_sender; }
    YModemTransport Transport() const { return m_transport; }
    UserListCtrl *LogList() const { return m_pList; }
    QProgressBar *ProgressBar() const { return m_pProgress; }
    QStringList Rows() const;
    bool RetryTimerActive() const { return m_timers.IsTimerActive(kYmTimerId); }
    // The retransmission wait and the age a packet must have to be resent
    // (5000 and 2500 ms unless a test shortens them).
    void SetRetryTiming(int timerMs, int resendAfterMs);
    // The millisecond clock of the run (tests drive it).
    void SetClock(std::function<std::uint32_t()> clock) { m_clock = std::move(clock); }

protected:
    bool event(QEvent *e) override;

private:
    // YModemSink
    void Log(const UpgradeRow &row) override;
    void Transmit(const std::uint8_t *bytes, std::size_t count) override;
    void ArmTimer(int ms) override;
    void KillTimer() override;
    void ClearQueues() override;
    void SetProgress(long long pos, long long max) override;
    bool PacketRows() const override;
    std::uint32_t NowMs() const override;

    void LogText(const QString &text);
    void OnTimer(int id);

    QPointer<PageHost> m_host;
    YModemTransport m_transport;
    std::optional<ScopedCommandInterval> m_interval; // the wrapped transfer's interval while it runs
    UserListCtrl *m_pList = nullptr;
    QProgressBar *m_pProgress = nullptr;
    QCheckBox *m_pFollow = nullptr;
    WndTimers m_timers;
    int m_retryMs = kYmRetryMs;
    std::function<std::uint32_t()> m_clock;
    std::unique_ptr<YModemSender> m_sender;
    bool m_nameRefused = false;  // the file name cannot go on the line: nothing is sent
    bool m_cancelQueued = false; // the sender has queued its cancel
};

// "软件升级": upgrades the board's firmware over the command protocol. The
// dialog reads the chosen file into memory and walks the board through the
// upgrade steps (FwUpgradeSession); the page that opens it forwards every
// 0x83/0xA6 answer to OnUpgradeFrame. After a successful run it reads the
// board's versions back and logs the old and the new one.
#pragma once

#include "app/framework/ctrlregistry.h"
#include "app/framework/wndtimer.h"
#include "link/linksettings.h"
#include "protocol/fw_upgrade.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class PageHost;
class UserListCtrl;
class QCheckBox;
class QProgressBar;

inline constexpr int IDD_FIREWARE = 153;
inline constexpr int IDC_FW_LOG = 1400;
inline constexpr int IDC_FW_START = 1401;
inline constexpr int IDC_FW_FOLLOW = 1402;
inline constexpr int IDC_FW_PROGRESS = 1403;
inline constexpr int IDC_FW_SELECT = 1405;
inline constexpr int IDC_FW_PATH = 1406;

class FirmwareUpgradeDialog : public QDialog, public CtrlRegistry, private FwUpgradeSink {
    Q_OBJECT
public:
    // filePath may be empty: the user chooses the file in the dialog. With a
    // path the run starts by itself once the event loop runs.
    FirmwareUpgradeDialog(PageHost *host, const QString &filePath, QWidget *parent = nullptr);
    ~FirmwareUpgradeDialog() override;

    // Every 0x83/0xA6 answer while the dialog exists (frame from its head on).
    void OnUpgradeFrame(const std::uint8_t *frame, int len);
    // "升级" / "重新升级" and "选择文件".
    void OnBtnClickStart();
    void OnBtnClickSelectFile();

    // For tests and tools.
    const FwUpgradeSession &Session() const { return m_session; }
    UserListCtrl *LogList() const { return m_pList; }
    QProgressBar *ProgressBar() const { return m_pProgress; }
    // The texts of the column "升级过程", oldest first.
    QStringList Rows() const;
    const QString &FilePath() const { return m_strFilePath; }
    bool RetryTimerActive() const { return m_timers.IsTimerActive(kFwTimerId); }
    // Fires the retransmission timer now.
    void FireRetryTimer() { OnTimer(kFwTimerId); }

private:
    // FwUpgradeSink
    void Log(const UpgradeRow &row) override;
    bool Queue(const std::uint8_t *payload, std::size_t count) override;
    void ArmTimer(int ms) override;
    void KillTimer() override;
    void PostTimer() override;
    void SetProgress(std::size_t pos, std::size_t max) override;
    void Succeeded() override;

    void LogText(const QString &text);
    void OnTimer(int id);
    bool LoadImage();
    void RequestVersions();
    void OnResponse(const std::uint8_t *frame, int len);

    QPointer<PageHost> m_host;
    UserListCtrl *m_pList = nullptr;
    QProgressBar *m_pProgress = nullptr;
    QCheckBox *m_pFollow = nullptr;
    WndTimers m_timers;
    FwUpgradeSession m_session;
    QString m_strFilePath;
    bool m_bReload = false;
    std::optional<ScopedCommandInterval> m_interval; // the upgrade's interval while the dialog lives
    int m_nRow = 0;
    // The versions read around a run: before it starts and after success.
    enum class VersionRead { None, Before, After };
    VersionRead m_versionRead = VersionRead::None;
    QString m_oldVersion;
};

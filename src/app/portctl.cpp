// Opening and closing the board port from the port bar, and the port list.
#include "app/framework/ledlamp.h"
#include "app/framework/msgbox.h"
#include "app/linkwatch.h"
#include "app/mainwindow.h"
#include "app/portbar.h"
#include "app/pylvexapp.h"
#include "app/windowhost.h"
#include "link/portdiscovery.h"
#include "link/portprofile.h"
#include "protocol/dassert.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

namespace {
const QString kOpenTitle = QStringLiteral("打开串口");
} // namespace

void MainWindow::FillPortList(bool atStartup)
{
    auto *ports = Item<QComboBox>(IDC_PORT_LIST);
    const QString shown = ports->currentText().trimmed();
    ports->clear();
    ports->addItems(AvailablePortNames());
    // A device path typed or given earlier stays in the list.
    if (m_settings.portNum.startsWith(u'/') && ports->findText(m_settings.portNum) < 0 &&
        IsKnownPortDevice(m_settings.portNum))
        ports->addItem(m_settings.portNum);
    for (const QString &typed : std::as_const(m_typedPorts))
        if (ports->findText(typed) < 0)
            ports->addItem(typed);
    SelectExactPort(ports, m_settings.portNum);
    // A name being typed survives a refresh of the list.
    if (!atStartup && !shown.isEmpty() && ports->findText(shown) < 0)
        ports->setEditText(shown);
    if (atStartup && ports->count() == 0)
        if (PylvexApp *app = theApp())
            app->WriteLog(3, QStringLiteral("软件启动"), "没有检测到可使用的串口");
}

void MainWindow::RefreshPortList()
{
    auto *ports = Item<QComboBox>(IDC_PORT_LIST);
    if (!ports->isEnabled())
        return;
    QStringList found = AvailablePortNames();
    int listed = 0;
    for (int i = 0; i < ports->count(); ++i)
        if (!ports->itemText(i).startsWith(u'/'))
            ++listed;
    bool stale = found.size() != listed;
    for (const QString &name : found) {
        if (ports->findText(name) < 0) {
            stale = true;
            break;
        }
    }
    if (stale)
        FillPortList();
}

bool MainWindow::OpenStoredPort()
{
    // Only a serial device the system lists under the stored name is opened
    // unasked: a pseudo-terminal number may belong to another program's
    // terminal by now, and the first request would be written into it.
    const QString &stored = m_settings.portNum;
    if (stored.isEmpty() || IsListedSerialPort(stored))
        return OpenPort(false);
    if (PylvexApp *app = theApp()) {
        if (!IsValidPortName(stored))
            app->WriteLogText(4, QStringLiteral("软件启动"),
                              tr("保存的串口名“%1”不是有效的设备名，已忽略").arg(PrintablePortName(stored)));
        else if (IsKnownPortDevice(stored))
            app->WriteLogText(
                6, QStringLiteral("软件启动"),
                tr("上次使用的 %1 不是系统列出的串口设备，启动时不自动打开，确认后请手动打开。").arg(stored));
        else
            app->WriteLogText(4, QStringLiteral("软件启动"),
                              tr("上次使用的串口 %1 不存在，启动时没有打开其他串口。").arg(stored));
    }
    return false;
}

bool MainWindow::OpenPortByName(const QString &device, bool silent)
{
    auto *ports = Item<QComboBox>(IDC_PORT_LIST);
    int at = ports->findText(device);
    if (at < 0) {
        ports->addItem(device);
        at = ports->count() - 1;
    }
    ports->setCurrentIndex(at);
    if (m_bOpenCOM)
        ClosePort();
    return OpenPort(!silent);
}

void MainWindow::ReportOpenFailure(bool interactive, const QString &text)
{
    if (m_bQuietOpen)
        return; // the return watch tries again
    if (interactive)
        ::MessageBox(this, text, tr("错误"), MB_ICONERROR);
    else if (PylvexApp *app = theApp())
        app->WriteLogText(3, kOpenTitle, text);
}

bool MainWindow::OpenPort(bool interactive)
{
    const bool opened = TryOpenPort(interactive);
    if (!opened)
        UpdateStatusLine(); // it names the port tried, not the one open before
    return opened;
}

bool MainWindow::TryOpenPort(bool interactive)
{
    PylvexApp *app = theApp();
    m_port.StopMonitoring();
    auto list = [this](int id) { return Item<QComboBox>(id); };
    QString device = list(IDC_PORT_LIST)->currentText().trimmed();
    m_strOpenError.clear();
    if (device.isEmpty()) {
        m_strOpenError = QStringLiteral("当前选择的串口号为空！");
        if (interactive) {
            ::MessageBox(this, tr("当前选择的串口号为空！"), tr("警告"), MB_ICONWARNING);
            list(IDC_PORT_LIST)->setFocus();
        } else if (app) {
            app->WriteLog(3, kOpenTitle, "当前选择的串口号为空！");
        }
        return false;
    }
    m_settings.portNum = device;
    if (device.startsWith(u'/') && !m_typedPorts.contains(device))
        m_typedPorts.append(device);
    m_settings.baud = list(IDC_BAUD_LIST)->currentText();
    m_settings.dataBits = list(IDC_DATABITS_LIST)->currentText();
    m_settings.parity = list(IDC_PARITY_LIST)->currentText();
    m_settings.stopBits = list(IDC_STOPBITS_LIST)->currentText();

    if (!m_port.IsKnownDevice(device)) {
        // A name that leads nowhere is said so plainly; an existing file that is
        // no character device cannot be a port at all.
        QString text = QFileInfo::exists(PortDevicePath(device)) ? QStringLiteral("解析串口号失败COM口=%1").arg(device)
                                                                 : tr("串口 %1 不存在").arg(device);
        m_strOpenError = text;
        if (m_bQuietOpen)
            return false;
        if (interactive)
            ::MessageBox(this, text, QStringLiteral("警告"), MB_ICONWARNING);
        else if (app)
            app->WriteLogText(3, kOpenTitle, text);
        return false;
    }
    int baud = m_settings.baud.toInt();
    int dataBits = m_settings.dataBits.toInt();
    bool inited =
        m_port.InitPort(this, device, baud, ParityChar(m_settings.parity), dataBits, StopBitsCode(m_settings.stopBits));
    bool started = inited && m_port.StartMonitoring();
    if (started) {
        m_bOpenCOM = true;
        m_lostAt = QDateTime();
        m_pReconnect->Stop();
        m_pLinkWatch->Reset();
        m_openedPort = IdentifyPort(device);
        SetPortControlsOpen(true);
        SetTimer(TIMER_STATUS_LINE, 1000);
        UpdateStatusLine();
        AfterPortOpened();
        return true;
    }
    if (app && !m_bQuietOpen)
        app->WriteLog(7, kOpenTitle, inited ? "StartMonitoring 函数返回失败!" : "InitPort 函数返回失败!");
    const QString text = OpenFailureText(device, m_port.m_dwOpenError);
    m_strOpenError = text;
    ReportOpenFailure(interactive, text);
    m_bOpenCOM = false;
    SetPortControlsOpen(false);
    return false;
}

void MainWindow::AfterPortOpened()
{
    // The pages that care connect to it: the live status page probes for the
    // batch read, the battery log page restarts its clock synchronisation.
    emit m_pHost->PortOpened();
}

void MainWindow::ClosePort()
{
    ClosePort(false);
}

void MainWindow::ClosePort(bool lost)
{
    bool wasOpen = m_bOpenCOM;
    m_bOpenCOM = false;
    m_port.StopMonitoring();
    SetPortControlsOpen(false);
    KillTimer(TIMER_STATUS_LINE);
    m_pLinkWatch->Reset();
    if (!lost) {
        // Closed on purpose: nothing is awaited.
        m_pReconnect->Stop();
        m_lostAt = QDateTime();
        m_replacedSn.clear(); // the next opening may be to any board
        m_boardSn.clear();
    }
    UpdateStatusLine();
    if (wasOpen)
        emit m_pHost->PortClosed(lost);
}

void MainWindow::SetPortControlsOpen(bool open)
{
    KillTimer(TIMER_TX_FLASH);
    KillTimer(TIMER_RX_FLASH);
    ShowPortLamps(open);
    Item<QPushButton>(IDC_OPEN_PORT)->setText(open ? tr("关闭串口") : tr("打开串口"));
    Item<QComboBox>(IDC_PORT_LIST)->setEnabled(!open);
}

void MainWindow::OnBtnClickOpenPort()
{
    // The button's caption follows the port's state (and the language).
    if (!m_bOpenCOM) {
        d_assert(!m_bOpenCOM);
        OpenPort(true);
        return;
    }
    if (::MessageBox(this, tr("您确信要关闭串口？"), tr("确认"), MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) == IDYES)
        ClosePort();
}

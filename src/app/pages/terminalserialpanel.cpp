#include "app/pages/terminalserialpanel.h"

#include "app/framework/ledlamp.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/userprofile.h"
#include "link/portdiscovery.h"
#include "protocol/termtext.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {
const char *const kBauds[] = {"1200",  "2400",  "4800",   "9600",   "14400",  "19200", "38400",
                              "56000", "57600", "115200", "194000", "230400", "460800"};
const char *const kDataBits[] = {"5", "6", "7", "8"};
const char *const kStopBits[] = {"1", "1.5", "2"};
const char *const kParities[] = {"none", "odd ", "even"};

QStringList Entries(const char *const *texts, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QString::fromLatin1(texts[i]);
    return list;
}
} // namespace

TerminalSerialPanel::TerminalSerialPanel(PageHost *host, QWidget *parent) : QWidget(parent), m_pHost(host)
{
    Build();
    connect(&m_link, &TermLink::Opened, this, [this] {
        ShowState(true);
        m_inbox.Post(LINK_EVT_OPENED);
    });
    connect(&m_link, &TermLink::Closed, this, [this] {
        ShowState(false);
        m_inbox.Post(LINK_EVT_CLOSED);
    });
    connect(&m_link, &TermLink::PeerBytesReceived, this,
            [this](const QString &peer, const QByteArray &bytes) { m_inbox.Push(peer, bytes); });
    connect(&m_link, &TermLink::ErrorOccurred, this, &TerminalSerialPanel::OnLinkError);
    FillPortList();
    ApplyStoredSettings();
    ShowState(false);
}

TerminalSerialPanel::~TerminalSerialPanel()
{
    m_link.disconnect(this);
    m_link.Close();
}

QStringList TerminalSerialPanel::BaudEntries()
{
    return Entries(kBauds, std::size(kBauds));
}

QString TerminalSerialPanel::RefreshEntry()
{
    return tr("刷新串口");
}

QComboBox *TerminalSerialPanel::List(int id) const
{
    return Item<QComboBox>(id);
}

void TerminalSerialPanel::Build()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    struct ListRow {
        const char *label;
        int id;
        QStringList entries;
        int initial;
    };
    const ListRow rows[] = {
        {QT_TR_NOOP("串口号"), IDC_UART_PORT, {}, 0},
        {QT_TR_NOOP("波特率"), IDC_UART_BAUD, BaudEntries(), 9},
        {QT_TR_NOOP("数据位"), IDC_UART_DATABITS, Entries(kDataBits, std::size(kDataBits)), 3},
        {QT_TR_NOOP("停止位"), IDC_UART_STOPBITS, Entries(kStopBits, std::size(kStopBits)), 0},
        {QT_TR_NOOP("校   验"), IDC_UART_PARITY, Entries(kParities, std::size(kParities)), 0},
    };
    int row = 0;
    for (const ListRow &r : rows) {
        grid->addWidget(new QLabel(tr(r.label), this), row, 0);
        QComboBox *combo = nullptr;
        if (r.id == IDC_UART_PORT) {
            auto *ports = new LinkCombo(this);
            ports->setEditable(true); // a device path may be typed
            ports->setInsertPolicy(QComboBox::NoInsert);
            combo = ports;
            connect(ports, &QComboBox::activated, this, &TerminalSerialPanel::OnPortChosen);
            connect(ports->lineEdit(), &QLineEdit::textEdited, this,
                    [this](const QString &text) { RememberUserChoice(text); });
        } else {
            combo = new LinkCombo(this);
            combo->addItems(r.entries);
            combo->setCurrentIndex(r.initial);
        }
        RegisterControl(r.id, combo);
        grid->addWidget(combo, row, 1, 1, 2);
        ++row;
    }
    m_pLamp = new LedLamp(this);
    RegisterControl(IDC_UART_LAMP, m_pLamp);
    connect(m_pLamp, &LedLamp::clicked, this, [this] { Toggle(true); });
    auto *open = new QPushButton(tr("打开串口"), this);
    open->setAutoDefault(false);
    RegisterControl(IDC_UART_OPEN, open);
    connect(open, &QPushButton::clicked, this, [this] { Toggle(true); });
    grid->addWidget(m_pLamp, row, 0);
    grid->addWidget(open, row, 1, 1, 2);
    ++row;
    const struct {
        int id;
        const char *text;
        bool user;
    } boxes[] = {{IDC_UART_DTR, "DTR", true},
                 {IDC_UART_RTS, "RTS", true},
                 {IDC_UART_DSR, "DSR", false},
                 {IDC_UART_CTS, "CTS", false}};
    auto *lines = new QHBoxLayout;
    for (const auto &b : boxes) {
        auto *box = new QCheckBox(QString::fromLatin1(b.text), this);
        RegisterControl(b.id, box);
        lines->addWidget(box);
        if (b.user)
            connect(box, &QCheckBox::clicked, this, [this, id = b.id](bool on) { OnLineBox(id, on); });
        else
            box->setEnabled(false); // the lines are shown, never set by the user
    }
    grid->addLayout(lines, row, 0, 1, 3);
    ++row;
    auto *notice = new QLabel(this);
    notice->setWordWrap(true);
    notice->setStyleSheet(QStringLiteral("color: #c00000;"));
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notice->hide();
    RegisterControl(IDC_UART_NOTICE, notice);
    grid->addWidget(notice, row, 0, 1, 3);
}

QString TerminalSerialPanel::Notice() const
{
    auto *notice = Item<QLabel>(IDC_UART_NOTICE);
    return notice->isHidden() ? QString() : notice->text();
}

void TerminalSerialPanel::ShowNotice(const QString &text)
{
    auto *notice = Item<QLabel>(IDC_UART_NOTICE);
    notice->setText(text);
    notice->setVisible(!text.isEmpty());
}

void TerminalSerialPanel::RememberUserChoice(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (!trimmed.isEmpty() && trimmed != RefreshEntry() && !m_userPorts.contains(trimmed))
        m_userPorts.append(trimmed);
}

void TerminalSerialPanel::FillPortList()
{
    QComboBox *ports = List(IDC_UART_PORT);
    QSignalBlocker block(ports);
    ports->clear();
    ports->addItems(AvailablePortNames());
    ports->addItem(RefreshEntry());
    ports->setCurrentIndex(0);
}

void TerminalSerialPanel::OnPortChosen(int index)
{
    QComboBox *ports = List(IDC_UART_PORT);
    if (index == ports->count() - 1 && ports->itemText(index) == RefreshEntry())
        FillPortList();
    else
        RememberUserChoice(ports->itemText(index));
}

void TerminalSerialPanel::ApplyStoredSettings()
{
    QSettings profile = UserProfile();
    profile.beginGroup(QStringLiteral("Config"));
    QString name = profile.value(QStringLiteral("ComName"), QStringLiteral("NULL")).toString().trimmed();
    if (name == QLatin1String("NULL"))
        return;
    QComboBox *ports = List(IDC_UART_PORT);
    int found = -1;
    // Exactly that name: "ttyUSB" is not "ttyUSB0".
    for (int i = 0; i + 1 < ports->count() && !name.isEmpty(); ++i) {
        if (ports->itemText(i) == name) {
            found = i;
            break;
        }
    }
    // A stored device path that is not listed (a pseudo-terminal) is offered when it exists.
    if (found < 0 && name.startsWith(u'/') && IsKnownPortDevice(name)) {
        ports->insertItem(ports->count() - 1, name);
        found = ports->count() - 2;
    }
    if (found >= 0)
        ports->setCurrentIndex(found);
    // Numbers that cannot be read count as 0, as a missing entry does.
    QString bdse = profile.value(QStringLiteral("BDSE"), QStringLiteral("NULL")).toString();
    std::vector<long long> numbers = term::ReadDashNumbers(bdse.toStdString(), 4);
    numbers.resize(4, 0);
    const int ids[] = {IDC_UART_BAUD, IDC_UART_DATABITS, IDC_UART_STOPBITS, IDC_UART_PARITY};
    for (int i = 0; i < 4; ++i) {
        QComboBox *list = List(ids[i]);
        long long n = numbers[static_cast<std::size_t>(i)];
        list->setCurrentIndex(n >= 0 && n < list->count() ? static_cast<int>(n) : 0);
    }
}

void TerminalSerialPanel::ShowState(bool open)
{
    Item<QPushButton>(IDC_UART_OPEN)->setText(open ? tr("关闭串口") : tr("打开串口"));
    m_pLamp->SetLed(LedLamp::kGreen, open ? LedLamp::kBright : LedLamp::kGrey, LedLamp::kRound);
    for (int id : {IDC_UART_PORT, IDC_UART_BAUD, IDC_UART_DATABITS, IDC_UART_STOPBITS, IDC_UART_PARITY})
        List(id)->setEnabled(!open);
    if (!open)
        for (int id : {IDC_UART_DTR, IDC_UART_RTS, IDC_UART_DSR, IDC_UART_CTS})
            CheckDlgButton(id, 0);
}

void TerminalSerialPanel::Toggle(bool interactive)
{
    if (m_link.IsOpen())
        ClosePort();
    else
        OpenPort(interactive);
}

void TerminalSerialPanel::ReportOpenFailure(bool interactive, const QString &text, int icon)
{
    ShowNotice(text);
    if (interactive)
        MessageBox(this, text, icon == MB_ICONERROR ? tr("错误") : tr("警告"), icon);
    else if (m_pHost)
        m_pHost->WriteLog(3, tr("串口调试"), QString(text).replace(QLatin1Char('\n'), tr("：")));
}

bool TerminalSerialPanel::OpenPort(bool interactive)
{
    m_link.Close();
    QString name = List(IDC_UART_PORT)->currentText().trimmed();
    if (name == RefreshEntry() || !IsKnownPortDevice(name)) {
        QString why = name.isEmpty() || name == RefreshEntry()  ? tr("没有选择串口")
                      : QFileInfo::exists(PortDevicePath(name)) ? tr("%1 不是串口设备").arg(name)
                                                                : tr("串口 %1 不存在").arg(name);
        ReportOpenFailure(interactive, tr("串口无效,请刷新") + QStringLiteral("\n") + why, MB_ICONWARNING);
        return false;
    }
    if (interactive)
        RememberUserChoice(name);
    else if (!IsListedSerialPort(name) && !m_userPorts.contains(name)) {
        // A pseudo-terminal number may belong to another program's terminal by
        // now: only the user opens a device the system does not list.
        ReportOpenFailure(false, tr("%1 不是系统列出的串口设备，未自动打开；确认后请按“打开串口”。").arg(name),
                          MB_ICONWARNING);
        return false;
    }
    TermLineSettings settings;
    settings.port = name;
    settings.baud = List(IDC_UART_BAUD)->currentText().toInt();
    settings.dataBits = List(IDC_UART_DATABITS)->currentText().toInt();
    settings.stopIndex = List(IDC_UART_STOPBITS)->currentIndex();
    settings.parityIndex = List(IDC_UART_PARITY)->currentIndex();
    m_link.SetSettings(settings);
    m_inbox.Clear();
    if (!m_link.Open()) {
        ReportOpenFailure(interactive,
                          tr("打开串口失败") + QStringLiteral("\n") + tr("%1：%2").arg(name, m_link.ErrorText()),
                          MB_ICONERROR);
        return false;
    }
    ShowNotice(QString());
    return true;
}

void TerminalSerialPanel::ClosePort()
{
    m_link.Close();
}

void TerminalSerialPanel::OnLineBox(int id, bool checked)
{
    if (!m_link.IsOpen()) {
        CheckDlgButton(id, 0);
        return;
    }
    bool ok = id == IDC_UART_DTR ? m_link.SetDtr(checked) : m_link.SetRts(checked);
    if (!ok) {
        CheckDlgButton(id, checked ? 0 : 1); // the line kept its level
        MessageBox(this, tr("无法设置 %1：%2").arg(id == IDC_UART_DTR ? "DTR" : "RTS", m_link.ErrorText()), tr("警告"),
                   MB_ICONWARNING);
    }
}

void TerminalSerialPanel::OnLinkError(const QString &text, bool lost)
{
    if (!m_pHost)
        return;
    QString title = tr("串口调试");
    m_pHost->WriteLog(lost ? 3 : 4, title, lost ? tr("串口 %1 断开：%2").arg(m_link.Settings().port, text) : text);
}

int TerminalSerialPanel::Write(const QByteArray &bytes)
{
    if (!m_link.IsOpen())
        return -1;
    qint64 n = m_link.Write(bytes);
    return n < 0 ? 0 : static_cast<int>(n);
}

int TerminalSerialPanel::Read(QByteArray *bytes, QString *source, std::intptr_t, std::intptr_t)
{
    if (m_inbox.Take(bytes, source))
        return bytes ? static_cast<int>(bytes->size()) : 0;
    if (bytes)
        bytes->clear();
    return m_link.IsOpen() ? 0 : -1;
}

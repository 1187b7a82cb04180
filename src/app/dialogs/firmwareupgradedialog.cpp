#include "app/dialogs/firmwareupgradedialog.h"

#include "app/dialogs/filechooser.h"
#include "app/dialogs/upgradelog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/widgets/userlistctrl.h"
#include "link/linksettings.h"
#include "protocol/status_decode.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FirmwareUpgradeDialog::FirmwareUpgradeDialog(PageHost *host, const QString &filePath, QWidget *parent)
    : QDialog(parent), m_host(host), m_timers([this](int id) { OnTimer(id); }, this), m_session(*this),
      m_strFilePath(filePath)
{
    setWindowTitle(tr("软件升级"));
    resize(645, 375);
    m_interval.emplace(kFwCommandInterval);
    if (m_host)
        m_host->HoldLine(this); // no page timer's request between a block and its answer

    m_pList = new UserListCtrl(this);
    m_pList->SetListId(IDC_FW_LOG);
    m_pList->InsertColumn(0, tr("序号"), 54);
    m_pList->InsertColumn(1, tr("时间"), 80);
    m_pList->InsertColumn(2, tr("升级过程"), 480);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    RegisterControl(IDC_FW_LOG, m_pList);

    auto *path = new QLineEdit(this);
    path->setReadOnly(true);
    RegisterControl(IDC_FW_PATH, path);
    auto *select = new QPushButton(tr("选择文件"), this);
    RegisterControl(IDC_FW_SELECT, select);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(0);
    RegisterControl(IDC_FW_PROGRESS, m_pProgress);
    m_pFollow = new QCheckBox(tr("刷新显示"), this);
    RegisterControl(IDC_FW_FOLLOW, m_pFollow);
    auto *start = new QPushButton(tr("升级"), this);
    RegisterControl(IDC_FW_START, start);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("升级文件名："), this));
    fileRow->addWidget(path, 1);
    fileRow->addWidget(select);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_pProgress, 1);
    buttons->addWidget(m_pFollow);
    buttons->addWidget(start);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pList, 1);
    layout->addLayout(fileRow);
    layout->addLayout(buttons);

    connect(start, &QPushButton::clicked, this, &FirmwareUpgradeDialog::OnBtnClickStart);
    connect(select, &QPushButton::clicked, this, &FirmwareUpgradeDialog::OnBtnClickSelectFile);
    if (host)
        connect(host, &PageHost::ResponseDispatched, this, &FirmwareUpgradeDialog::OnResponse);

    // Opening: with a path the run starts by itself.
    m_pFollow->setChecked(true);
    if (!m_strFilePath.isEmpty()) {
        path->setText(m_strFilePath);
        m_bReload = true;
        QMetaObject::invokeMethod(start, &QPushButton::click, Qt::QueuedConnection);
    } else {
        LogText(tr("先选择升级文件，再点击升级按钮启动升级！"));
    }
}

FirmwareUpgradeDialog::~FirmwareUpgradeDialog()
{
    if (m_host)
        m_host->HoldLine(nullptr);
}

QStringList FirmwareUpgradeDialog::Rows() const
{
    QStringList rows;
    for (int i = 0; i < m_pList->GetItemCount(); ++i)
        rows << m_pList->GetItemText(i, 2);
    return rows;
}

void FirmwareUpgradeDialog::LogText(const QString &text)
{
    AppendUpgradeRow(m_pList, m_pFollow, {QString::number(m_nRow++)}, text);
}

void FirmwareUpgradeDialog::Log(const UpgradeRow &row)
{
    LogText(UpgradeRowText(kFwRowContext, row));
}

bool FirmwareUpgradeDialog::Queue(const std::uint8_t *payload, std::size_t count)
{
    return m_host && m_host->SendFrame(payload, count);
}

void FirmwareUpgradeDialog::ArmTimer(int ms)
{
    m_timers.SetTimer(kFwTimerId, ms);
}

void FirmwareUpgradeDialog::KillTimer()
{
    m_timers.KillTimer(kFwTimerId);
}

void FirmwareUpgradeDialog::PostTimer()
{
    QMetaObject::invokeMethod(
        this, [this] { OnTimer(kFwTimerId); }, Qt::QueuedConnection);
}

void FirmwareUpgradeDialog::SetProgress(std::size_t pos, std::size_t max)
{
    m_pProgress->setRange(0, static_cast<int>(max));
    m_pProgress->setValue(static_cast<int>(pos));
}

void FirmwareUpgradeDialog::OnTimer(int id)
{
    if (id == kFwTimerId)
        m_session.OnTimer();
}

bool FirmwareUpgradeDialog::LoadImage()
{
    QFile file(m_strFilePath);
    QString error;
    std::vector<std::uint8_t> image;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (file.size() == 0) {
        error = tr("文件内容为空!");
    } else {
        image.resize(static_cast<std::size_t>(file.size()));
        qint64 got = file.read(reinterpret_cast<char *>(image.data()), file.size());
        if (got != file.size())
            error = got < 0 ? file.errorString() : tr("读取文件返回失败!");
    }
    if (!error.isEmpty()) {
        LogText(tr("错误：%1").arg(error));
        MessageBox(this, error, tr("警告"), MB_OK | MB_ICONWARNING);
        return false;
    }
    m_session.SetImage(std::move(image));
    return true;
}

void FirmwareUpgradeDialog::OnBtnClickStart()
{
    if (m_strFilePath.isEmpty()) {
        MessageBox(this, tr("升级文件为空，请先选择升级文件！"), tr("警告"), MB_OK | MB_ICONWARNING);
        GetDlgItem(IDC_FW_PATH)->setFocus();
        return;
    }
    if (!m_host || !m_host->IsPortOpen()) {
        MessageBox(this, tr("请先打开串口后再进行操作！"), tr("警告"), MB_OK | MB_ICONWARNING);
        return;
    }
    if (m_bReload || !m_session.HasImage()) {
        if (!LoadImage())
            return;
        m_bReload = false;
    }
    m_host->ClearQueues();
    RequestVersions();
    m_versionRead = VersionRead::Before;
    m_oldVersion.clear();
    if (m_session.Start(QFileInfo(m_strFilePath).fileName().toStdString()))
        SetDlgItemText(IDC_FW_START, tr("重新升级"));
}

void FirmwareUpgradeDialog::OnBtnClickSelectFile()
{
    FileAsk ask;
    ask.key = QStringLiteral("CDlgFireware::OnBtnClickSelectFile");
    ask.filter = tr("Binary Files (*.bin *.hex);;All Files (*)");
    ask.initialName = tr("请选择升级文件");
    ask.title = tr("请选择升级文件");
    const QString chosen = ChooseFile(this, ask);
    if (chosen.isNull())
        return; // cancelled
    const QString path = chosen.trimmed();
    QString error = UpgradeFileError(path);
    if (error.isEmpty() && QFileInfo(path).size() == 0)
        error = tr("文件内容为空!");
    if (!error.isEmpty()) {
        MessageBox(this, error, tr("警告"), MB_OK | MB_ICONWARNING);
        return;
    }
    SetDlgItemText(IDC_FW_PATH, path);
    m_strFilePath = path;
    m_bReload = true;
}

void FirmwareUpgradeDialog::OnUpgradeFrame(const std::uint8_t *frame, int len)
{
    // Head, link, class, code, length, data, checksum, tail: never past the frame.
    if (!frame || len < 9)
        return;
    const std::size_t count = std::min<std::size_t>(frame[4], static_cast<std::size_t>(len - 9));
    m_session.OnRouted({frame + 5, count}, !m_strFilePath.isEmpty());
}

void FirmwareUpgradeDialog::RequestVersions()
{
    const Payload request = PlainRequest({0x03, kStatusVersions});
    if (m_host)
        m_host->SendFrame(request.data(), request.size());
}

void FirmwareUpgradeDialog::Succeeded()
{
    m_versionRead = VersionRead::After;
    RequestVersions();
}

void FirmwareUpgradeDialog::OnResponse(const std::uint8_t *frame, int len)
{
    if (m_versionRead == VersionRead::None || len < 9 || frame[2] != 0x83 || frame[3] != (0x80 | kStatusVersions))
        return;
    const std::size_t n = std::min<std::size_t>(frame[4], static_cast<std::size_t>(len - 9));
    if (n < 1 || frame[5] != 0)
        return;
    std::optional<Versions> v = DecodeVersions({frame + 6, n - 1});
    if (!v)
        return;
    const QString software = QString::fromStdString(v->software);
    if (m_versionRead == VersionRead::Before) {
        m_oldVersion = software;
        return;
    }
    m_versionRead = VersionRead::None;
    if (m_oldVersion.isEmpty()) {
        LogText(tr("升级后的软件版本：%1").arg(software));
    } else if (m_oldVersion == software) {
        LogText(tr("警告：软件版本没有变化，仍是 %1，请确认升级是否生效").arg(software));
    } else {
        LogText(tr("软件版本：升级前 %1，升级后 %2").arg(m_oldVersion, software));
    }
}

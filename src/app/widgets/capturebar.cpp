#include "app/widgets/capturebar.h"

#include "app/dialogs/filedialogex.h"
#include "app/framework/msgbox.h"
#include "link/linkcapture.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

CaptureBar::CaptureBar(QWidget *parent) : QWidget(parent)
{
    m_start = new QPushButton(tr("开始抓包"), this);
    m_stop = new QPushButton(tr("停止抓包"), this);
    m_status = new QLabel(this);
    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &CaptureBar::Refresh);
    connect(m_start, &QPushButton::clicked, this, [this] { StartCapture(); });
    connect(m_stop, &QPushButton::clicked, this, &CaptureBar::StopCapture);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_start);
    layout->addWidget(m_stop);
    layout->addWidget(m_status);
    UpdateButtons();
}

CaptureBar::~CaptureBar()
{
    StopCapture();
}

bool CaptureBar::StartCapture()
{
    const QString name = QStringLiteral("pylvex-%1.pcapng")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    FileDialogEx dialog(false, QStringLiteral("Capture"), QStringLiteral("pcapng"), name,
                        tr("抓包文件 (*.pcapng);;所有文件 (*)"), this);
    const QString path = dialog.DoModal();
    if (path.isEmpty())
        return false;
    return StartCaptureTo(path);
}

bool CaptureBar::StartCaptureTo(const QString &path)
{
    StopCapture();
    auto capture = std::make_shared<LinkCapture>();
    if (!capture->Open(path)) {
        MessageBox(this, capture->ErrorText(), tr("抓包"), MB_ICONERROR);
        return false;
    }
    m_capture = std::move(capture);
    SetLinkCapture(m_capture);
    m_timer->start();
    Refresh();
    return true;
}

void CaptureBar::StopCapture()
{
    if (!m_capture)
        return;
    m_timer->stop();
    if (CurrentLinkCapture() == m_capture)
        SetLinkCapture(nullptr);
    m_capture->Close();
    Refresh();
    m_capture.reset();
    UpdateButtons();
}

void CaptureBar::Refresh()
{
    if (!m_capture)
        return;
    const CaptureFile &file = m_capture->File();
    const QString name = QFileInfo(file.Path()).fileName();
    const QString size = QLocale::system().formattedDataSize(file.Size());
    if (file.Failed()) {
        const QString error = m_capture->ErrorText();
        m_timer->stop();
        if (CurrentLinkCapture() == m_capture)
            SetLinkCapture(nullptr);
        m_capture.reset();
        m_status->setText(tr("抓包已停止：%1").arg(name));
        UpdateButtons();
        MessageBox(this, error, tr("抓包"), MB_ICONERROR);
        return;
    }
    const bool running = m_timer->isActive();
    m_status->setText((running ? tr("抓包中：%1，%2 个记录，%3") : tr("已保存：%1，%2 个记录，%3"))
                          .arg(name)
                          .arg(file.Records())
                          .arg(size));
    UpdateButtons();
}

void CaptureBar::UpdateButtons()
{
    m_start->setEnabled(!m_capture);
    m_stop->setEnabled(m_capture != nullptr);
}

QString CaptureBar::StatusText() const
{
    return m_status->text();
}

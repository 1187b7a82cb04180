#include "app/widgets/profilebar.h"

#include "app/dialogs/filechooser.h"
#include "app/dialogs/profilecomparedialog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/windowhost.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kFilter = QStringLiteral("*.json (*.json)");

// Which board of the pair the pages show.
bool SecondaryBoardOf(PageHost *host)
{
    return host && host->SecondaryBoardSelected();
}

} // namespace

ProfileBar::ProfileBar(PageHost *host, QWidget *parent) : QWidget(parent), m_pHost(host), m_runner(*host)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    m_pSave = new QPushButton(tr("保存到文件"), this);
    m_pCompare = new QPushButton(tr("与文件比较"), this);
    m_pApply = new QPushButton(tr("应用文件"), this);
    m_pSave->setToolTip(tr("读取两个门限页面的全部参数，连同板卡的 SN、版本和时间保存到参数文件"));
    m_pCompare->setToolTip(tr("读取板卡的参数，逐项与参数文件比较"));
    m_pApply->setToolTip(tr("与参数文件比较后，把勾选的参数写入板卡并读回确认"));
    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);
    m_pStatus->setMaximumWidth(160);
    for (QWidget *w : std::initializer_list<QWidget *>{m_pSave, m_pCompare, m_pApply, m_pStatus})
        layout->addWidget(w);
    connect(m_pSave, &QPushButton::clicked, this, [this] { Begin(Task::Save); });
    connect(m_pCompare, &QPushButton::clicked, this, [this] { Begin(Task::Compare); });
    connect(m_pApply, &QPushButton::clicked, this, [this] { Begin(Task::Apply); });
    connect(&m_runner, &ProfileRunner::StepFinished, this, &ProfileBar::OnStepFinished);
    connect(&m_runner, &ProfileRunner::Finished, this, &ProfileBar::OnFinished);
}

void ProfileBar::SetBusy(bool busy)
{
    for (QPushButton *b : {m_pSave, m_pCompare, m_pApply})
        b->setEnabled(!busy);
}

bool ProfileBar::Begin(Task task)
{
    if (m_runner.Running())
        return false;
    if (!m_pHost->IsPortOpen()) {
        MessageBox(this, tr("请先打开串口后再进行操作！"), tr("警告"), MB_ICONWARNING);
        return false;
    }
    FileAsk ask;
    ask.save = task == Task::Save;
    ask.key = task == Task::Save ? QStringLiteral("ProfileBar::Save") : QStringLiteral("ProfileBar::Open");
    ask.filter = kFilter;
    ask.defaultSuffix = QStringLiteral("json");
    ask.initialName = task == Task::Save ? QStringLiteral("thresholds.json") : QString();
    ask.title = task == Task::Save ? tr("保存参数文件") : tr("选择参数文件");
    const QString path = ChooseFile(this, ask);
    if (path.isEmpty())
        return false;
    m_run = std::make_unique<ParamExchange>();
    if (task == Task::Save) {
        m_run->AddIdentity();
        for (const ParamKey &key : ParamKeys())
            if (KeyReadable(key))
                m_run->AddRead(key);
    } else {
        QString error;
        Profile profile;
        if (!ReadProfile(path, &profile, &error)) {
            MessageBox(this, tr("参数文件无法使用，板卡和页面都没有改动。\n%1").arg(error), tr("警告"), MB_ICONWARNING);
            return false;
        }
        if (profile.entries.empty()) {
            MessageBox(this, tr("%1：文件中没有可以比较的参数").arg(path), tr("警告"), MB_ICONWARNING);
            return false;
        }
        m_profile = std::move(profile);
        m_run->AddIdentity(false);
        for (const ProfileEntry &e : m_profile.entries)
            m_run->AddRead(*e.key);
    }
    m_task = task;
    m_path = path;
    m_pStatus->setText(tr("正在读取板卡的参数…"));
    m_clock.start();
    if (!m_runner.Start(m_run.get())) {
        m_pStatus->clear();
        return false;
    }
    SetBusy(true);
    return true;
}

void ProfileBar::OnStepFinished(int step)
{
    if (m_run)
        m_pStatus->setText(tr("正在读取板卡的参数 %1/%2…").arg(step + 1).arg(m_run->Steps().size()));
}

void ProfileBar::OnFinished()
{
    m_lastRunMs = m_clock.elapsed();
    m_lastRunRequests = m_runner.RequestsSent();
    SetBusy(false);
    if (m_task == Task::Save)
        FinishSave();
    else
        FinishCompare();
}

void ProfileBar::FinishSave()
{
    QStringList failed;
    for (const ParamStep &s : m_run->Steps())
        if (!s.Ok())
            failed << QStringLiteral("%1：%2").arg(KeyLabel(*s.key), StepOutcomeText(s));
    if (!failed.isEmpty()) {
        QString text = tr("有参数读取失败，没有写入 %1").arg(m_path);
        if (!m_runner.StopReason().isEmpty())
            text += tr("（中止：%1）").arg(m_runner.StopReason());
        m_pStatus->setText(text);
        MessageBox(this, text + u'\n' + failed.mid(0, 12).join(u'\n'), tr("警告"), MB_ICONWARNING);
        return;
    }
    QString error;
    const QByteArray document =
        ProfileDocument(m_run->Steps(), m_run->Identity(), SecondaryBoardOf(m_pHost), QDateTime::currentDateTime());
    if (!WriteProfile(m_path, document, &error)) {
        m_pStatus->setText(error);
        MessageBox(this, error, tr("警告"), MB_ICONWARNING);
        return;
    }
    QString text = tr("已把 %1 个参数保存到 %2").arg(m_run->Steps().size()).arg(m_path);
    if (const QString missing = MissingIdentityText(m_run->Identity()); !missing.isEmpty())
        text += u'\n' + missing;
    m_pStatus->setText(text);
}

void ProfileBar::FinishCompare()
{
    const QStringList notices = ProfileNotices(m_profile, SecondaryBoardOf(m_pHost), m_run->Identity().sn);
    m_pStatus->setText(m_runner.StopReason().isEmpty() ? QString() : tr("读取中止：%1").arg(m_runner.StopReason()));
    ProfileCompareDialog dialog(*m_pHost, m_path, m_profile, *m_run, notices, m_task == Task::Apply, window());
    RunModal(&dialog);
}

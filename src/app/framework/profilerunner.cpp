#include "app/framework/profilerunner.h"

#include "app/framework/pagehost.h"
#include "app/framework/rowpagebase.h"
#include "link/linksettings.h"

#include <algorithm>

ProfileRunner::ProfileRunner(PageHost &host, QObject *parent) : QObject(parent), m_host(host)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ProfileRunner::OnDeadline);
    connect(&m_host, &PageHost::ResponseDispatched, this, &ProfileRunner::OnResponse);
    connect(&m_host, &PageHost::PortClosed, this, [this] { Cancel(tr("串口已关闭")); });
    connect(&m_host, &PageHost::BoardSwitched, this, [this] { Cancel(tr("已切换到另一块板卡")); });
}

int ProfileRunner::AnswerWaitMs() const
{
    // The request may wait behind a few requests of the pages' own timers.
    const int interval = GlobalLinkSettings().cmdSndInvl.load();
    return std::max(1500, interval * 6);
}

bool ProfileRunner::Start(ParamExchange *run)
{
    if (m_run || !run || !m_host.IsPortOpen())
        return false;
    m_run = run;
    m_sent = 0;
    m_stopReason.clear();
    SendNext();
    return true;
}

void ProfileRunner::Cancel(const QString &why)
{
    if (!m_run)
        return;
    m_stopReason = why;
    m_run->Stop();
    Finish();
}

void ProfileRunner::SendNext()
{
    if (!m_run)
        return;
    if (m_run->Finished()) {
        Finish();
        return;
    }
    const std::vector<std::uint8_t> payload = m_run->Request();
    const int step = m_run->CurrentStep();
    if (m_tries == 0 && !m_run->ReadingBack() && step >= 0) {
        ShowLamp(step, true);
        emit StepStarted(step);
    }
    if (payload.empty() || !m_host.SendFrame(payload.data(), payload.size())) {
        Cancel(tr("请求无法发送"));
        return;
    }
    ++m_tries;
    ++m_sent;
    m_sentAt = QDateTime::currentDateTime();
    m_deadline.start(AnswerWaitMs());
}

void ProfileRunner::OnResponse(const std::uint8_t *frame, int len)
{
    if (!m_run || m_run->Finished() || len < 5 || !m_run->IsAnswer(frame, static_cast<std::size_t>(len)))
        return;
    m_deadline.stop();
    m_tries = 0;
    const int step = m_run->CurrentStep();
    m_run->OnAnswer(frame, static_cast<std::size_t>(len));
    // The pages see this answer after this call: the row's verdict and the
    // next request wait until they have shown it.
    QMetaObject::invokeMethod(
        this, [this, step] { Advance(step); }, Qt::QueuedConnection);
}

void ProfileRunner::OnDeadline()
{
    if (!m_run)
        return;
    if (m_tries < 2) {
        SendNext(); // asked once more
        return;
    }
    m_tries = 0;
    const int step = m_run->CurrentStep();
    m_run->OnNoAnswer(tr("板卡无应答"));
    if (step >= 0) {
        // A parameter without an answer: the board is gone or busy, the
        // others would wait the same way.
        ShowLamp(step, false);
        emit StepFinished(step);
        Cancel(tr("板卡无应答"));
        return;
    }
    SendNext(); // the SN or the versions may be missing
}

void ProfileRunner::Advance(int stepBefore)
{
    if (!m_run)
        return;
    if (stepBefore >= 0 && m_run->CurrentStep() != stepBefore) {
        ShowLamp(stepBefore, false);
        emit StepFinished(stepBefore);
    }
    SendNext();
}

void ProfileRunner::Finish()
{
    m_deadline.stop();
    m_tries = 0;
    if (!m_run)
        return;
    m_run = nullptr;
    emit Finished();
}

void ProfileRunner::ShowLamp(int step, bool started)
{
    const ParamStep &s = m_run->Steps()[static_cast<std::size_t>(step)];
    RowPageBase *page = PageShowingParam(m_host, *s.key);
    if (!page)
        return;
    const int chk = RowOf(*s.key).chkId;
    if (started)
        page->SetLedState(chk, LED_IDLE);
    else if (s.outcome == ParamOutcome::NoAnswer)
        page->SetNoAnswerLook(chk, m_sentAt);
    else if (s.outcome != ParamOutcome::Pending)
        page->SetLedState(chk, s.Ok() ? LED_OK : LED_ERROR);
}

RowPageBase *PageShowingParam(const PageHost &host, const ParamKey &key)
{
    const int chk = RowOf(key).chkId;
    const PageRegistry &pages = host.Pages();
    for (std::size_t i = 0; i < pages.PageCount(); ++i) {
        auto *page = qobject_cast<RowPageBase *>(pages.Page(i));
        ParamEntry entry;
        if (page && page->LookupParam(chk, entry))
            return page;
    }
    return nullptr;
}

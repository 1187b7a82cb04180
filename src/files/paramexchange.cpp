#include "files/paramexchange.h"

#include "protocol/live_status.h"

#include <QCoreApplication>

namespace {

struct ExchangeText {
    Q_DECLARE_TR_FUNCTIONS(ParamExchange)
};

QString HexByte(int b)
{
    return QString::number(b, 16).toUpper().rightJustified(2, u'0');
}

std::vector<std::uint8_t> StatusRequest(std::uint8_t code)
{
    return {0x53, 0x03, code, 0x01, 0x00};
}

} // namespace

RowAnswer CheckRowAnswer(const ParamKey &key, const std::uint8_t *frame, std::size_t length)
{
    RowAnswer a;
    if (!frame || length < 5) {
        a.error = ExchangeText::tr("应答不完整");
        return a;
    }
    const PageParamRow &row = RowOf(key);
    const std::span<const std::uint8_t> data = FrameData(frame, length);
    if (!data.empty() && data[0] != 0) {
        a.outcome = ParamOutcome::Refused;
        a.resultCode = data[0];
        a.error = QStringLiteral("ErrorCode: 0x%1").arg(HexByte(data[0]));
        return a;
    }
    const int need = ResponseNeed(row, frame[3]);
    if (static_cast<int>(data.size()) != need) {
        a.error = QStringLiteral("Len:%1, Need:%2").arg(data.size()).arg(need);
        return a;
    }
    const auto values = DecodeRowValues(row, frame[3], data);
    if (!values) {
        a.error = ExchangeText::tr("应答无法解码");
        return a;
    }
    a.outcome = ParamOutcome::Read;
    a.values = *values;
    return a;
}

void ParamExchange::AddIdentity(bool versions)
{
    m_jobs.push_back({Job::Sn, -1});
    if (versions)
        m_jobs.push_back({Job::Versions, -1});
}

void ParamExchange::AddRead(const ParamKey &key)
{
    m_steps.push_back(ParamStep{&key, false, {}, ParamOutcome::Pending, 0, {}, {}});
    m_jobs.push_back({Job::Step, static_cast<int>(m_steps.size()) - 1});
}

void ParamExchange::AddWrite(const ParamKey &key, const std::vector<std::int64_t> &values)
{
    m_steps.push_back(ParamStep{&key, true, values, ParamOutcome::Pending, 0, {}, {}});
    m_jobs.push_back({Job::Step, static_cast<int>(m_steps.size()) - 1});
}

int ParamExchange::CurrentStep() const
{
    if (Finished() || m_jobs[m_job].job != Job::Step)
        return -1;
    return m_jobs[m_job].step;
}

std::vector<std::uint8_t> ParamExchange::Request() const
{
    if (Finished())
        return {};
    const Entry &e = m_jobs[m_job];
    if (e.job == Job::Sn)
        return StatusRequest(kStatusSn);
    if (e.job == Job::Versions)
        return StatusRequest(kStatusVersions);
    const ParamStep &step = m_steps[static_cast<std::size_t>(e.step)];
    const PageParamRow &row = RowOf(*step.key);
    if (!step.write || m_readBack)
        return ReadPayload(row);
    // The record clearing is a command without values.
    const std::vector<std::int64_t> none;
    return WritePayload(row, row.format == RowFormat::RecordClear ? none : step.wanted);
}

bool ParamExchange::IsAnswer(const std::uint8_t *frame, std::size_t length) const
{
    const std::vector<std::uint8_t> request = Request();
    if (request.size() < 3 || !frame || length < 5)
        return false;
    return frame[2] == (request[1] | 0x80) && frame[3] == (request[2] | 0x80);
}

void ParamExchange::NoteMissing(const QString &what, const QString &why)
{
    m_identity.missing << ExchangeText::tr("%1（%2）").arg(what, why);
}

void ParamExchange::OnAnswer(const std::uint8_t *frame, std::size_t length)
{
    if (Finished())
        return;
    const Entry &e = m_jobs[m_job];
    if (e.job != Job::Step) {
        LiveStatus live;
        ApplyStatusFrame(live, frame, length);
        const std::uint8_t code = e.job == Job::Sn ? kStatusSn : kStatusVersions;
        const auto problem = live.problems.find(code);
        const QString why =
            problem != live.problems.end() ? QString::fromStdString(problem->second) : ExchangeText::tr("应答无法解码");
        if (e.job == Job::Sn) {
            if (live.sn)
                m_identity.sn = QString::fromStdString(*live.sn);
            else
                NoteMissing(ExchangeText::tr("SN 码"), why);
        } else if (live.versions) {
            m_identity.software = QString::fromStdString(live.versions->software);
            m_identity.hardware = QString::fromStdString(live.versions->hardware);
        } else {
            NoteMissing(ExchangeText::tr("版本"), why);
        }
        Next();
        return;
    }
    ParamStep &step = m_steps[static_cast<std::size_t>(e.step)];
    const RowAnswer a = CheckRowAnswer(*step.key, frame, length);
    step.outcome = a.outcome;
    step.resultCode = a.resultCode;
    step.error = a.error;
    if (a.outcome != ParamOutcome::Read) {
        Next();
        return;
    }
    step.values = a.values;
    if (!step.write) {
        Next();
        return;
    }
    const bool clearing = RowOf(*step.key).format == RowFormat::RecordClear;
    if (!m_readBack && !clearing) {
        m_readBack = true; // the write was taken: read it back
        step.outcome = ParamOutcome::Pending;
        return;
    }
    if (!clearing && StoredValues(*step.key, step.values) != step.wanted) {
        step.outcome = ParamOutcome::Different;
        step.error = ExchangeText::tr("读回的值 %1 与写入的值 %2 不一致")
                         .arg(ValuesText(*step.key, step.values), ValuesText(*step.key, step.wanted));
    } else {
        step.outcome = ParamOutcome::Confirmed;
    }
    Next();
}

void ParamExchange::OnNoAnswer(const QString &why)
{
    if (Finished())
        return;
    const Entry &e = m_jobs[m_job];
    if (e.job == Job::Sn)
        NoteMissing(ExchangeText::tr("SN 码"), why);
    else if (e.job == Job::Versions)
        NoteMissing(ExchangeText::tr("版本"), why);
    else {
        ParamStep &step = m_steps[static_cast<std::size_t>(e.step)];
        step.outcome = ParamOutcome::NoAnswer;
        step.error = m_readBack ? ExchangeText::tr("写入后读回时：%1").arg(why) : why;
    }
    Next();
}

void ParamExchange::Next()
{
    m_readBack = false;
    if (!Finished())
        ++m_job;
}

int ParamExchange::PlannedRequests() const
{
    int n = 0;
    for (const Entry &e : m_jobs) {
        ++n;
        if (e.job == Job::Step) {
            const ParamStep &s = m_steps[static_cast<std::size_t>(e.step)];
            if (s.write && RowOf(*s.key).format != RowFormat::RecordClear)
                ++n;
        }
    }
    return n;
}

QString StepOutcomeText(const ParamStep &step)
{
    switch (step.outcome) {
    case ParamOutcome::Pending: return ExchangeText::tr("未进行");
    case ParamOutcome::Read: return ExchangeText::tr("已读取");
    case ParamOutcome::Confirmed: return ExchangeText::tr("已写入并确认");
    case ParamOutcome::Refused: return ExchangeText::tr("板卡拒绝（%1）").arg(step.error);
    case ParamOutcome::BadAnswer: return ExchangeText::tr("应答有误（%1）").arg(step.error);
    case ParamOutcome::Different: return ExchangeText::tr("读回不同（%1）").arg(ValuesPlain(*step.key, step.values));
    case ParamOutcome::NoAnswer: return ExchangeText::tr("板卡无应答");
    }
    return {};
}

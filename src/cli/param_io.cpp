#include "cli/param_io.h"

#include "cli/commands.h"

namespace {

int LinkStatus(BoardSession::Outcome outcome)
{
    return outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
}

KeyResult RunOne(BoardSession &session, ParamExchange &run)
{
    const int link = RunExchange(session, run);
    return StepResult(run.Steps().front(), link);
}

} // namespace

int RunExchange(BoardSession &session, ParamExchange &run)
{
    while (!run.Finished()) {
        const std::vector<std::uint8_t> payload = run.Request();
        if (payload.empty()) { // a write the row cannot take
            run.OnNoAnswer(CliText::tr("数值无法写入"));
            continue;
        }
        const BoardSession::Reply reply = session.Request(payload);
        if (reply.outcome == BoardSession::Outcome::Answered) {
            run.OnAnswer(reply.frame.data(), reply.frame.size());
            continue;
        }
        const bool parameter = run.CurrentStep() >= 0;
        run.OnNoAnswer(OutcomeText(reply.outcome, CliText::tr("请求")));
        // The SN and the versions may be missing; a parameter without an
        // answer means the link is gone, and the others would fail the same way.
        if (parameter || reply.outcome != BoardSession::Outcome::NoAnswer) {
            run.Stop();
            return LinkStatus(reply.outcome);
        }
    }
    return kExitOk;
}

KeyResult StepResult(const ParamStep &step, int linkStatus)
{
    KeyResult r;
    r.values = step.values;
    switch (step.outcome) {
    case ParamOutcome::Read:
    case ParamOutcome::Confirmed: return r;
    case ParamOutcome::Pending: r.exitStatus = linkStatus == kExitOk ? kExitLink : linkStatus; break;
    case ParamOutcome::NoAnswer: r.exitStatus = linkStatus == kExitOk ? kExitLink : linkStatus; break;
    default: r.exitStatus = kExitBoard; break;
    }
    r.error = QStringLiteral("%1：%2").arg(QLatin1String(step.key->key),
                                           step.error.isEmpty() ? StepOutcomeText(step) : step.error);
    return r;
}

KeyResult ReadKey(BoardSession &session, const ParamKey &key)
{
    if (!KeyReadable(key)) {
        KeyResult r;
        r.exitStatus = kExitUsage;
        r.error = QStringLiteral("%1：%2").arg(QLatin1String(key.key), CliText::tr("该参数只能写入，不能读取"));
        return r;
    }
    ParamExchange run;
    run.AddRead(key);
    return RunOne(session, run);
}

KeyResult WriteKey(BoardSession &session, const ParamKey &key, const std::vector<std::int64_t> &values)
{
    ParamExchange run;
    run.AddWrite(key, values);
    return RunOne(session, run);
}

int WorseExit(int a, int b)
{
    auto rank = [](int s) { return s == kExitOk ? 0 : s == kExitBoard ? 1 : s == kExitUsage ? 2 : 3; };
    return rank(b) > rank(a) ? b : a;
}

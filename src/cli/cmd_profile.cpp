// profile save/diff/apply: every readable parameter in a JSON file with the
// board's SN, versions and the time; the parameters whose board value
// differs from the file; writing them back with read-back. The file format,
// its checks and the request run are the ones the window uses.
#include "cli/commands.h"
#include "cli/internal_mode.h"
#include "cli/param_io.h"
#include "files/profilefile.h"

#include <QJsonObject>

namespace {

// The steps' failures on standard error; the worst exit status among them.
int ReportFailures(const std::vector<ParamStep> &steps, int linkStatus)
{
    int status = linkStatus;
    for (const ParamStep &step : steps) {
        const KeyResult r = StepResult(step, linkStatus);
        if (r.Ok() || step.outcome == ParamOutcome::Pending)
            continue;
        PrintErr(r.error);
        status = WorseExit(status, r.exitStatus);
    }
    return status;
}

int Save(const CliRequest &request, BoardSession &session)
{
    const QString path = request.args.value(0);
    ParamExchange run;
    run.AddIdentity();
    for (const ParamKey &key : ParamKeys())
        if (KeyReadable(key))
            run.AddRead(key);
    const int status = ReportFailures(run.Steps(), RunExchange(session, run));
    if (status != kExitOk) {
        PrintErr(CliText::tr("有参数读取失败，没有写入 %1").arg(path));
        return status;
    }
    if (const QString missing = MissingIdentityText(run.Identity()); !missing.isEmpty())
        PrintErr(missing);
    QString error;
    const QByteArray document =
        ProfileDocument(run.Steps(), run.Identity(), request.common.secondary, QDateTime::currentDateTime());
    if (!WriteProfile(path, document, &error)) {
        PrintErr(error);
        return kExitUsage;
    }
    const auto count = static_cast<int>(run.Steps().size());
    if (request.common.json)
        PrintJson(QJsonDocument(QJsonObject{{"file", path}, {"params", count}}));
    else
        PrintOut(CliText::tr("已把 %1 个参数保存到 %2\n").arg(count).arg(path));
    return kExitOk;
}

struct Difference {
    const ProfileEntry *entry;
    std::vector<std::int64_t> board;
};

// Reads the SN and the given entries from the board: the notices of a
// profile that does not fit the board, then the entries whose value differs.
int Compare(const CliRequest &request, BoardSession &session, const Profile &profile,
            const std::vector<const ProfileEntry *> &entries, std::vector<Difference> *diffs)
{
    ParamExchange run;
    run.AddIdentity(false);
    for (const ProfileEntry *e : entries)
        run.AddRead(*e->key);
    const int status = ReportFailures(run.Steps(), RunExchange(session, run));
    for (const QString &notice : ProfileNotices(profile, request.common.secondary, run.Identity().sn))
        PrintErr(CliText::tr("注意：%1").arg(notice));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ParamStep &step = run.Steps()[i];
        if (step.Ok() && StoredValues(*step.key, step.values) != entries[i]->values)
            diffs->push_back({entries[i], StoredValues(*step.key, step.values)});
    }
    return status;
}

void PrintDifferences(const std::vector<Difference> &diffs, bool json)
{
    if (json) {
        QJsonObject o;
        for (const Difference &d : diffs)
            o[QLatin1String(d.entry->key->key)] = QJsonObject{{"board", ValuesJson(*d.entry->key, d.board)},
                                                              {"file", ValuesJson(*d.entry->key, d.entry->values)}};
        PrintJson(QJsonDocument(o));
        return;
    }
    QString text;
    for (const Difference &d : diffs)
        text += CliText::tr("%1  %2  板卡 %3  文件 %4\n")
                    .arg(QLatin1String(d.entry->key->key), -28)
                    .arg(KeyLabel(*d.entry->key), ValuesText(*d.entry->key, d.board),
                         ValuesText(*d.entry->key, d.entry->values));
    PrintOut(text);
}

std::vector<const ProfileEntry *> AllEntries(const Profile &profile)
{
    std::vector<const ProfileEntry *> all;
    for (const ProfileEntry &e : profile.entries)
        all.push_back(&e);
    return all;
}

int Diff(const CliRequest &request, BoardSession &session, const Profile &profile)
{
    std::vector<Difference> diffs;
    const int status = Compare(request, session, profile, AllEntries(profile), &diffs);
    PrintDifferences(diffs, request.common.json);
    return WorseExit(status, diffs.empty() ? kExitOk : kExitBoard);
}

bool ChosenEntries(const CliRequest &request, const Profile &profile, std::vector<const ProfileEntry *> *chosen,
                   QString *error)
{
    if (request.only.isEmpty()) {
        *chosen = AllEntries(profile);
        return true;
    }
    for (const QString &name : request.only) {
        const ParamKey *key = FindParamKey(name);
        if (!key) {
            *error = CliText::tr("未知参数：%1（pylvexctl params --help 列出全部参数）").arg(name);
            return false;
        }
        const ProfileEntry *e = profile.Find(key);
        if (!e) {
            *error = CliText::tr("%1：参数文件中没有该参数").arg(name);
            return false;
        }
        chosen->push_back(e);
    }
    return true;
}

int Apply(const CliRequest &request, BoardSession &session, const Profile &profile)
{
    std::vector<const ProfileEntry *> chosen;
    QString error;
    if (!ChosenEntries(request, profile, &chosen, &error)) {
        PrintErr(error);
        return kExitUsage;
    }
    std::vector<const ProfileEntry *> toWrite = chosen;
    if (request.only.isEmpty() || request.dryRun) {
        std::vector<Difference> diffs;
        const int status = Compare(request, session, profile, chosen, &diffs);
        if (status != kExitOk)
            return status;
        if (request.dryRun) {
            PrintDifferences(diffs, request.common.json);
            return kExitOk;
        }
        toWrite.clear();
        for (const Difference &d : diffs)
            toWrite.push_back(d.entry);
    } else {
        std::vector<Difference> none; // the notices only
        if (const int status = Compare(request, session, profile, {}, &none))
            return status;
    }
    ParamExchange run;
    for (const ProfileEntry *e : toWrite)
        run.AddWrite(*e->key, e->values);
    const int link = RunExchange(session, run);
    int status = link;
    QJsonObject written, failed;
    QString text;
    for (const ParamStep &step : run.Steps()) {
        const KeyResult r = StepResult(step, link);
        if (step.outcome == ParamOutcome::Pending)
            continue;
        if (!r.Ok()) {
            PrintErr(r.error);
            failed[QLatin1String(step.key->key)] = r.error;
            status = WorseExit(status, r.exitStatus);
            continue;
        }
        written[QLatin1String(step.key->key)] = ValuesJson(*step.key, r.values);
        text += QStringLiteral("%1  %2  %3\n")
                    .arg(QLatin1String(step.key->key), -28)
                    .arg(KeyLabel(*step.key), ValuesText(*step.key, r.values));
    }
    if (request.common.json)
        PrintJson(QJsonDocument(QJsonObject{{"written", written}, {"failed", failed}}));
    else
        PrintOut(text + CliText::tr("已写入 %1 个参数，%2 个失败\n").arg(written.size()).arg(failed.size()));
    return status;
}

} // namespace

int RunProfile(const CliRequest &request)
{
    Profile profile;
    QString error;
    if (request.verb != QLatin1String("save") && !ReadProfile(request.args.value(0), &profile, &error)) {
        PrintErr(error);
        return kExitUsage;
    }
    std::unique_ptr<BoardSession> session;
    if (int status = OpenInternal(request, &session))
        return status;
    if (request.verb == QLatin1String("save"))
        return Save(request, *session);
    if (request.verb == QLatin1String("diff"))
        return Diff(request, *session, profile);
    return Apply(request, *session, profile);
}

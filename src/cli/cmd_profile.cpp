// profile save/diff/apply: every readable parameter in a JSON file with the
// board's SN, versions and the time; the parameters whose board value
// differs from the file; writing them back with read-back.
#include "cli/commands.h"
#include "cli/internal_mode.h"
#include "cli/param_io.h"
#include "protocol/live_status.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

namespace {

constexpr int kProfileFormat = 1;

struct ProfileEntry {
    const ParamKey *key;
    std::vector<std::int64_t> values;
};

// The parameters of a file in the order of the key table.
struct Profile {
    QJsonObject header;
    std::vector<ProfileEntry> entries;
    const ProfileEntry *Find(const ParamKey *key) const
    {
        for (const ProfileEntry &e : entries)
            if (e.key == key)
                return &e;
        return nullptr;
    }
};

// A JSON value as the text the window's checks take: "4250" or "30,10".
bool ValueText(const QJsonValue &v, QString *text)
{
    auto number = [](const QJsonValue &n, QString *out) {
        if (!n.isDouble() || n.toDouble() != static_cast<double>(n.toInteger()))
            return false;
        *out = QString::number(n.toInteger());
        return true;
    };
    if (!v.isArray())
        return number(v, text);
    QStringList parts;
    for (const QJsonValue &n : v.toArray()) {
        QString part;
        if (!number(n, &part))
            return false;
        parts << part;
    }
    *text = parts.join(u',');
    return true;
}

bool LoadProfile(const QString &path, Profile *profile, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = CliText::tr("无法读取参数文件 %1：%2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject root = doc.object();
    if (!doc.isObject() || !root.value("params").isObject()) {
        *error = CliText::tr("%1 不是参数文件：%2")
                     .arg(path, parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                             : CliText::tr("缺少 params"));
        return false;
    }
    profile->header = root;
    const QJsonObject params = root.value("params").toObject();
    for (auto it = params.begin(); it != params.end(); ++it)
        if (!FindParamKey(it.key()) || !KeyReadable(*FindParamKey(it.key()))) {
            *error = CliText::tr("%1：未知参数：%2").arg(path, it.key());
            return false;
        }
    for (const ParamKey &key : ParamKeys()) {
        const QJsonValue v = params.value(QLatin1String(key.key));
        if (v.isUndefined() || !KeyStored(key))
            continue;
        QString text;
        ProfileEntry entry{&key, {}};
        if (!ValueText(v, &text)) {
            *error = CliText::tr("%1：%2 的值不是整数").arg(path, QLatin1String(key.key));
            return false;
        }
        if (!ParseKeyValues(key, text, &entry.values, error)) {
            *error = QStringLiteral("%1：%2").arg(path, *error);
            return false;
        }
        profile->entries.push_back(entry);
    }
    return true;
}

// SN and versions for the file's header; what the board does not give is left out.
void ReadIdentity(BoardSession &session, QJsonObject *header)
{
    LiveStatus live;
    for (std::uint8_t code : {kStatusSn, kStatusVersions}) {
        const std::uint8_t payload[] = {0x53, 0x03, code, 0x01, 0x00};
        const BoardSession::Reply reply = session.Request(payload);
        if (reply.outcome == BoardSession::Outcome::Answered)
            ApplyStatusFrame(live, reply.frame.data(), reply.frame.size());
    }
    if (live.sn)
        (*header)["sn"] = QString::fromStdString(*live.sn);
    if (live.versions) {
        (*header)["software_version"] = QString::fromStdString(live.versions->software);
        (*header)["hardware_version"] = QString::fromStdString(live.versions->hardware);
    }
    if (!live.sn || !live.versions)
        PrintErr(CliText::tr("板卡没有给出 SN 码或版本，参数文件中不记录"));
}

int Save(const CliRequest &request, BoardSession &session)
{
    const QString path = request.args.value(0);
    QJsonObject params;
    int status = kExitOk;
    for (const ParamKey &key : ParamKeys()) {
        if (!KeyReadable(key))
            continue;
        const KeyResult r = ReadKey(session, key);
        if (!r.Ok()) {
            PrintErr(r.error);
            status = WorseExit(status, r.exitStatus);
            if (r.exitStatus != kExitBoard)
                break;
            continue;
        }
        params[QLatin1String(key.key)] = ValuesJson(key, r.values);
    }
    if (status != kExitOk) {
        PrintErr(CliText::tr("有参数读取失败，没有写入 %1").arg(path));
        return status;
    }
    QJsonObject root{{"pylvexctl_profile", kProfileFormat},
                     {"saved_at", IsoTime(QDateTime::currentDateTime())},
                     {"board", request.common.secondary ? "secondary" : "main"}};
    ReadIdentity(session, &root);
    root["params"] = params;
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        PrintErr(CliText::tr("无法写入 %1：%2").arg(path, file.errorString()));
        return kExitUsage;
    }
    if (request.common.json)
        PrintJson(QJsonDocument(QJsonObject{{"file", path}, {"params", params.size()}}));
    else
        PrintOut(CliText::tr("已把 %1 个参数保存到 %2\n").arg(params.size()).arg(path));
    return kExitOk;
}

struct Difference {
    const ProfileEntry *entry;
    std::vector<std::int64_t> board;
};

// Reads the given entries from the board; the ones whose value differs.
int Compare(BoardSession &session, const std::vector<const ProfileEntry *> &entries, std::vector<Difference> *diffs)
{
    int status = kExitOk;
    for (const ProfileEntry *e : entries) {
        const KeyResult r = ReadKey(session, *e->key);
        if (!r.Ok()) {
            PrintErr(r.error);
            status = WorseExit(status, r.exitStatus);
            if (r.exitStatus != kExitBoard)
                break;
            continue;
        }
        const std::vector<std::int64_t> board = StoredValues(*e->key, r.values);
        if (board != e->values)
            diffs->push_back({e, board});
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
    const int status = Compare(session, AllEntries(profile), &diffs);
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
        const int status = Compare(session, chosen, &diffs);
        if (status != kExitOk)
            return status;
        if (request.dryRun) {
            PrintDifferences(diffs, request.common.json);
            return kExitOk;
        }
        toWrite.clear();
        for (const Difference &d : diffs)
            toWrite.push_back(d.entry);
    }
    int status = kExitOk;
    QJsonObject written, failed;
    QString text;
    for (const ProfileEntry *e : toWrite) {
        const KeyResult r = WriteKey(session, *e->key, e->values);
        if (!r.Ok()) {
            PrintErr(r.error);
            failed[QLatin1String(e->key->key)] = r.error;
            status = WorseExit(status, r.exitStatus);
            if (r.exitStatus != kExitBoard)
                break;
            continue;
        }
        written[QLatin1String(e->key->key)] = ValuesJson(*e->key, r.values);
        text += QStringLiteral("%1  %2  %3\n")
                    .arg(QLatin1String(e->key->key), -28)
                    .arg(KeyLabel(*e->key), ValuesText(*e->key, r.values));
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
    if (request.verb != QLatin1String("save") && !LoadProfile(request.args.value(0), &profile, &error)) {
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

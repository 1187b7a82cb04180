// params get [KEY...] and params set KEY=VALUE...: the threshold parameters
// under their keys; every value is checked before anything is sent, every
// write is read back and compared.
#include "cli/commands.h"
#include "cli/internal_mode.h"
#include "cli/param_io.h"

#include <QJsonObject>

namespace {

QString TableLine(const ParamKey &key, const QString &value)
{
    return QStringLiteral("%1  %2  %3\n").arg(QLatin1String(key.key), -28).arg(KeyLabel(key), value);
}

int Get(const CliRequest &request)
{
    std::vector<const ParamKey *> keys;
    QString error;
    if (!ResolveReadKeys(request.args, &keys, &error)) {
        PrintErr(error);
        return kExitUsage;
    }
    std::unique_ptr<BoardSession> session;
    if (int status = OpenInternal(request, &session))
        return status;
    int status = kExitOk;
    QJsonObject json;
    QString text;
    for (const ParamKey *key : keys) {
        const KeyResult r = ReadKey(*session, *key);
        if (!r.Ok()) {
            PrintErr(r.error);
            status = WorseExit(status, r.exitStatus);
            if (r.exitStatus != kExitBoard)
                break; // the link is gone: the other keys would fail the same way
            continue;
        }
        json[QLatin1String(key->key)] = ValuesJson(*key, r.values);
        text += TableLine(*key, ValuesText(*key, r.values));
    }
    if (request.common.json)
        PrintJson(QJsonDocument(json));
    else
        PrintOut(text);
    return status;
}

int Set(const CliRequest &request)
{
    std::vector<KeyValue> writes;
    for (const QString &arg : request.args) {
        KeyValue kv;
        QString error;
        if (!ParseAssignment(arg, &kv, &error)) {
            PrintErr(error);
            return kExitUsage;
        }
        writes.push_back(kv);
    }
    std::unique_ptr<BoardSession> session;
    if (int status = OpenInternal(request, &session))
        return status;
    int status = kExitOk;
    QJsonObject json;
    QString text;
    for (const KeyValue &kv : writes) {
        const KeyResult r = WriteKey(*session, *kv.key, kv.values);
        if (!r.Ok()) {
            PrintErr(r.error);
            status = WorseExit(status, r.exitStatus);
            if (r.exitStatus != kExitBoard)
                break;
            continue;
        }
        const std::vector<std::int64_t> &shown = r.values.empty() ? kv.values : r.values;
        json[QLatin1String(kv.key->key)] = ValuesJson(*kv.key, shown);
        text += TableLine(*kv.key, ValuesText(*kv.key, shown));
    }
    if (request.common.json)
        PrintJson(QJsonDocument(json));
    else
        PrintOut(text);
    return status;
}

} // namespace

int RunParams(const CliRequest &request)
{
    return request.verb == QLatin1String("set") ? Set(request) : Get(request);
}

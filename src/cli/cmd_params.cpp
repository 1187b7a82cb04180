// params get [KEY...] and params set KEY=VALUE...: the threshold parameters
// under their keys; every value is checked before anything is sent, every
// write is read back and compared.
#include "cli/commands.h"
#include "cli/internal_mode.h"
#include "cli/param_io.h"

#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

// Rows of key, name and value, the value column lined up on a terminal
// whatever the width of the names.
class Table {
public:
    void Add(const ParamKey &key, const QString &value) { m_rows.push_back({&key, value}); }
    QString Text() const
    {
        int labelWidth = 0;
        for (const Row &r : m_rows)
            labelWidth = std::max(labelWidth, DisplayWidth(KeyLabel(*r.key)));
        QString text;
        for (const Row &r : m_rows)
            text += QStringLiteral("%1  %2  %3\n")
                        .arg(QLatin1String(r.key->key), -28)
                        .arg(PadToWidth(KeyLabel(*r.key), labelWidth), r.value);
        return text;
    }

private:
    struct Row {
        const ParamKey *key;
        QString value;
    };
    std::vector<Row> m_rows;
};

// "读取参数 n/N" redrawn in place on standard error while it is a terminal.
class ReadProgress {
public:
    explicit ReadProgress(std::size_t total) : m_total(total), m_tty(isatty(STDERR_FILENO) != 0) {}
    ~ReadProgress() { Clear(); }
    ReadProgress(const ReadProgress &) = delete;
    ReadProgress &operator=(const ReadProgress &) = delete;
    void Show(std::size_t done, const ParamKey &key)
    {
        if (!m_tty)
            return;
        const QByteArray line =
            CliText::tr("读取参数 %1/%2：%3").arg(done + 1).arg(m_total).arg(KeyLabel(key)).toUtf8();
        std::fprintf(stderr, "\r\x1b[K%s", line.constData());
        std::fflush(stderr);
        m_shown = true;
    }
    // Leaves an empty line for what follows.
    void Clear()
    {
        if (m_shown) {
            std::fputs("\r\x1b[K", stderr);
            std::fflush(stderr);
            m_shown = false;
        }
    }

private:
    std::size_t m_total;
    bool m_tty;
    bool m_shown = false;
};

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
    Table table;
    ReadProgress progress(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const ParamKey *key = keys[i];
        progress.Show(i, *key);
        const KeyResult r = ReadKey(*session, *key);
        if (!r.Ok()) {
            progress.Clear();
            PrintErr(r.error);
            status = WorseExit(status, r.exitStatus);
            if (r.exitStatus != kExitBoard)
                break; // the link is gone: the other keys would fail the same way
            continue;
        }
        json[QLatin1String(key->key)] = ValuesJson(*key, r.values);
        table.Add(*key, ValuesText(*key, r.values));
    }
    progress.Clear();
    if (request.common.json)
        PrintJson(QJsonDocument(json));
    else
        PrintOut(table.Text());
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
    Table table;
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
        table.Add(*kv.key, ValuesText(*kv.key, shown));
    }
    if (request.common.json)
        PrintJson(QJsonDocument(json));
    else
        PrintOut(table.Text());
    return status;
}

} // namespace

int RunParams(const CliRequest &request)
{
    return request.verb == QLatin1String("set") ? Set(request) : Get(request);
}

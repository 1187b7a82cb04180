#include "cli/param_io.h"

#include "cli/commands.h"

#include <QJsonArray>

namespace {

KeyResult Failure(int status, const QString &key, const QString &text)
{
    KeyResult r;
    r.exitStatus = status;
    r.error = QStringLiteral("%1：%2").arg(key, text);
    return r;
}

QString HexByte(std::uint8_t b)
{
    return QString::number(b, 16).toUpper().rightJustified(2, u'0');
}

int LinkStatus(BoardSession::Outcome outcome)
{
    return outcome == BoardSession::Outcome::Interrupted ? kExitInterrupted : kExitLink;
}

// The answer's checks as the page framework makes them; the values on success.
KeyResult Checked(const ParamKey &key, const BoardSession::Reply &reply)
{
    const QString name = QLatin1String(key.key);
    if (reply.outcome != BoardSession::Outcome::Answered)
        return Failure(LinkStatus(reply.outcome), name, OutcomeText(reply.outcome, CliText::tr("请求")));
    const PageParamRow &row = RowOf(key);
    const std::vector<std::uint8_t> &f = reply.frame;
    const std::span<const std::uint8_t> data = FrameData(f.data(), f.size());
    if (!data.empty() && data[0] != 0)
        return Failure(kExitBoard, name, QStringLiteral("ErrorCode: 0x%1").arg(HexByte(data[0])));
    const int need = ResponseNeed(row, f[3]);
    if (static_cast<int>(data.size()) != need)
        return Failure(kExitBoard, name, QStringLiteral("Len:%1, Need:%2").arg(data.size()).arg(need));
    KeyResult r;
    if (auto values = DecodeRowValues(row, f[3], data))
        r.values = *values;
    else
        return Failure(kExitBoard, name, CliText::tr("应答无法解码"));
    return r;
}

QString Join(const QStringList &parts)
{
    return parts.join(QStringLiteral("，"));
}

} // namespace

KeyResult ReadKey(BoardSession &session, const ParamKey &key)
{
    const std::vector<std::uint8_t> payload = ReadPayload(RowOf(key));
    if (payload.empty())
        return Failure(kExitUsage, QLatin1String(key.key), CliText::tr("该参数只能写入，不能读取"));
    return Checked(key, session.Request(payload));
}

KeyResult WriteKey(BoardSession &session, const ParamKey &key, const std::vector<std::int64_t> &values)
{
    const PageParamRow &row = RowOf(key);
    // The record clearing is a command without values.
    const std::vector<std::int64_t> none;
    const std::vector<std::uint8_t> payload = WritePayload(row, row.format == RowFormat::RecordClear ? none : values);
    if (payload.empty())
        return Failure(kExitUsage, QLatin1String(key.key), CliText::tr("数值无法写入"));
    KeyResult written = Checked(key, session.Request(payload));
    if (!written.Ok() || row.format == RowFormat::RecordClear)
        return written;
    KeyResult back = ReadKey(session, key);
    if (!back.Ok())
        return back;
    if (StoredValues(key, back.values) != values) {
        KeyResult r = Failure(
            kExitBoard, QLatin1String(key.key),
            CliText::tr("读回的值 %1 与写入的值 %2 不一致").arg(ValuesText(key, back.values), ValuesText(key, values)));
        r.values = back.values;
        return r;
    }
    return back;
}

std::vector<std::int64_t> StoredValues(const ParamKey &key, const std::vector<std::int64_t> &values)
{
    const auto n = static_cast<std::size_t>(KeyValueCount(key));
    return std::vector<std::int64_t>(values.begin(), values.begin() + std::min(n, values.size()));
}

QJsonValue ValuesJson(const ParamKey &key, const std::vector<std::int64_t> &values)
{
    const std::vector<std::int64_t> kept = StoredValues(key, values);
    if (KeyValueCount(key) == 1)
        return kept.empty() ? QJsonValue() : QJsonValue(static_cast<qint64>(kept.front()));
    QJsonArray a;
    for (std::int64_t v : kept)
        a.append(static_cast<qint64>(v));
    return a;
}

QString ValuesText(const ParamKey &key, const std::vector<std::int64_t> &values)
{
    const PageParamRow &row = RowOf(key);
    if (row.format == RowFormat::WakeUp && !values.empty())
        return QStringLiteral("%1（%2）")
            .arg(QString::fromUtf8(WakeUpName(static_cast<std::uint8_t>(values.front()))))
            .arg(values.front());
    const QStringList units = QString::fromUtf8(key.units).split(u',');
    QStringList parts;
    const std::vector<std::int64_t> kept = StoredValues(key, values);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const QString unit = i < static_cast<std::size_t>(units.size()) ? units[static_cast<qsizetype>(i)] : QString();
        parts << (unit.isEmpty() ? QString::number(kept[i]) : QStringLiteral("%1 %2").arg(kept[i]).arg(unit));
    }
    if (row.format == RowFormat::CycleThresholds && values.size() > kept.size())
        parts << CliText::tr("循环次数 %1").arg(values.back());
    return Join(parts);
}

int WorseExit(int a, int b)
{
    auto rank = [](int s) { return s == kExitOk ? 0 : s == kExitBoard ? 1 : s == kExitUsage ? 2 : 3; };
    return rank(b) > rank(a) ? b : a;
}

#include "files/paramkeys.h"

#include "protocol/int_input.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QStringList>

namespace {

struct KeyText {
    Q_DECLARE_TR_FUNCTIONS(ParamKeys)
};

// clang-format off
const std::vector<ParamKey> kKeys = {
    {"wake_source",                false, 1,  ""},
    {"idle_wait_s",                false, 2,  "s"},
    {"consumption_update_min",     false, 3,  "min"},
    {"standby_wake_check_s",       false, 4,  "s"},
    {"key_wake_s",                 false, 5,  "s"},
    {"pre_discharge_charge_ms",    false, 6,  "ms"},
    {"temp_probe_count",           false, 7,  ""},
    {"standby_entry_mv",           false, 8,  "mV"},
    {"balance_start_mv",           false, 9,  "mV"},
    {"balance_diff_mv",            false, 10, "mV,mV"},
    {"cycle_thresholds_pct",       false, 11, "%,%"},
    {"clear_records",              false, 12, ""},
    {"current_thresholds_ma",      false, 13, "mA,mA,mA,mA"},
    {"pre_discharge_short",        false, 14, "mA,ms"},
    {"short_circuit",              false, 15, "A,us"},
    {"charge_mos_ot_alarm_c",      false, 16, "℃"},
    {"charge_mos_ot_protect_c",    false, 17, "℃"},
    {"charge_mos_ot_recover_c",    false, 18, "℃"},
    {"discharge_mos_ot_alarm_c",   false, 19, "℃"},
    {"discharge_mos_ot_protect_c", false, 20, "℃"},
    {"discharge_mos_ot_recover_c", false, 21, "℃"},
    {"charge_oc_alarm_ma",         true,  1,  "mA"},
    {"charge_oc_protect_ma",       true,  2,  "mA"},
    {"cell_ov_alarm_mv",           true,  3,  "mV"},
    {"cell_ov_protect_mv",         true,  4,  "mV"},
    {"cell_ov_recover_mv",         true,  5,  "mV"},
    {"pack_ov_alarm_mv",           true,  6,  "mV"},
    {"pack_ov_protect_mv",         true,  7,  "mV"},
    {"pack_ov_recover_mv",         true,  8,  "mV"},
    {"charge_ot_alarm_c",          true,  9,  "℃"},
    {"charge_ot_protect_c",        true,  10, "℃"},
    {"charge_ot_recover_c",        true,  11, "℃"},
    {"charge_ut_alarm_c",          true,  12, "℃"},
    {"charge_ut_protect_c",        true,  13, "℃"},
    {"charge_ut_recover_c",        true,  14, "℃"},
    {"discharge_oc_alarm_ma",      true,  15, "mA"},
    {"discharge_oc_protect_ma",    true,  16, "mA"},
    {"cell_uv_alarm_mv",           true,  17, "mV"},
    {"cell_uv_protect_mv",         true,  18, "mV"},
    {"cell_uv_recover_mv",         true,  19, "mV"},
    {"pack_uv_alarm_mv",           true,  20, "mV"},
    {"pack_uv_protect_mv",         true,  21, "mV"},
    {"pack_uv_recover_mv",         true,  22, "mV"},
    {"discharge_ot_alarm_c",       true,  23, "℃"},
    {"discharge_ot_protect_c",     true,  24, "℃"},
    {"discharge_ot_recover_c",     true,  25, "℃"},
    {"discharge_ut_alarm_c",       true,  26, "℃"},
    {"discharge_ut_protect_c",     true,  27, "℃"},
    {"discharge_ut_recover_c",     true,  28, "℃"},
};
// clang-format on

// The page framework takes its bounds as int; an unsigned 32-bit maximum
// travels as its bit pattern and is compared unsigned.
std::int32_t Bound(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Single values are converted as the framework's write does (unsigned only
// for VT_UINT); the values of the multi-value rows always signed.
bool ConvertsSigned(const PageParamRow &row)
{
    const bool single = row.format == RowFormat::Value || row.format == RowFormat::Temperature;
    return !single || row.kind != ValueKind::UInt;
}

QString Join(const QStringList &parts)
{
    return parts.join(QStringLiteral("，"));
}

} // namespace

const std::vector<ParamKey> &ParamKeys()
{
    return kKeys;
}

const ParamKey *FindParamKey(const QString &key)
{
    for (const ParamKey &k : kKeys)
        if (key == QLatin1String(k.key))
            return &k;
    return nullptr;
}

const PageParamRow &RowOf(const ParamKey &key)
{
    const ParamPageRows &page = key.alarmPage ? AlarmPageRows() : WakeupPageRows();
    return *page.Row(key.row);
}

const ParamKey *KeyOfRow(const PageParamRow &row)
{
    for (const ParamKey &k : kKeys)
        if (&RowOf(k) == &row)
            return &k;
    return nullptr;
}

bool KeyReadable(const ParamKey &key)
{
    return RowOf(key).readCode != kNoCode;
}

bool KeyWritable(const ParamKey &key)
{
    return !RowOf(key).ReadOnly();
}

bool KeyStored(const ParamKey &key)
{
    return KeyReadable(key) && KeyWritable(key);
}

int KeyValueCount(const ParamKey &key)
{
    const PageParamRow &row = RowOf(key);
    return row.writtenEdits > 0 ? row.writtenEdits : 1;
}

QString KeyLabel(const ParamKey &key)
{
    QString label = QString::fromUtf8(RowOf(key).label);
    if (label.endsWith(QStringLiteral("：")))
        label.chop(1);
    return label;
}

bool ParseKeyValues(const ParamKey &key, const QString &text, std::vector<std::int64_t> *values, QString *error)
{
    const PageParamRow &row = RowOf(key);
    values->clear();
    if (row.format == RowFormat::RecordClear) {
        if (text.trimmed() != QLatin1String("1")) {
            *error = KeyText::tr("%1：记录清除只接受值 1").arg(QLatin1String(key.key));
            return false;
        }
        values->push_back(1);
        return true;
    }
    const QStringList parts = text.split(u',');
    if (parts.size() != KeyValueCount(key)) {
        *error = KeyText::tr("%1：需要 %2 个数值（用逗号分隔）").arg(QLatin1String(key.key)).arg(KeyValueCount(key));
        return false;
    }
    const bool isSigned = ConvertsSigned(row);
    for (const QString &part : parts) {
        const IntInput in = ParseIntInput(part.trimmed().toStdString(), Bound(row.min), Bound(row.max), isSigned);
        if (!in.Ok()) {
            *error = QStringLiteral("%1：%2").arg(
                QLatin1String(key.key),
                QString::fromStdString(IntInputMessage(in.error, Bound(row.min), Bound(row.max), isSigned)));
            return false;
        }
        values->push_back(isSigned ? std::int64_t{in.value} : std::int64_t{static_cast<std::uint32_t>(in.value)});
    }
    return true;
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
        parts << KeyText::tr("循环次数 %1").arg(values.back());
    return Join(parts);
}

QString ValuesPlain(const ParamKey &key, const std::vector<std::int64_t> &values)
{
    QStringList parts;
    for (std::int64_t v : StoredValues(key, values))
        parts << QString::number(v);
    return Join(parts);
}

QString KeyUnitText(const ParamKey &key)
{
    QStringList units = QString::fromUtf8(key.units).split(u',', Qt::SkipEmptyParts);
    return Join(units);
}

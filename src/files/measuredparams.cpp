#include "files/measuredparams.h"

namespace {
const std::array<MeasuredKey, 5> kKeys = {{
    {"标称容量", "串数", &MeasuredParams::series},
    {"标称容量", "并数", &MeasuredParams::parallel},
    {"标称容量", "SOC", &MeasuredParams::nominalCapacity},
    {"实测容量", "SOC", &MeasuredParams::measuredCapacity},
    {"开路电压", "电压", &MeasuredParams::openCircuit},
}};
} // namespace

const std::array<MeasuredKey, 5> &MeasuredKeys()
{
    return kKeys;
}

QString MeasuredRowSection(int row)
{
    return row < 2 ? QStringLiteral("充电内阻") : QStringLiteral("放电内阻");
}

QString MeasuredCurrentKey(int row)
{
    return QStringLiteral("电流%1").arg(row % 2);
}

QString MeasuredResistanceKey(int row)
{
    return QStringLiteral("内阻值%1").arg(row % 2);
}

QString MeasuredParamsFileName(const QDate &date)
{
    return QStringLiteral("%1_%2.%3")
        .arg(QStringLiteral("实测参数"), date.toString(QStringLiteral("yyyy-MM-dd")), QStringLiteral("ini"));
}

MeasuredParams MeasuredParamsFromIni(const IniFile &ini)
{
    MeasuredParams p;
    for (const MeasuredKey &k : kKeys)
        p.*(k.field) = ini.Value(QString::fromUtf8(k.section), QString::fromUtf8(k.key));
    for (int r = 0; r < static_cast<int>(p.rows.size()); ++r) {
        p.rows[r].current = ini.Value(MeasuredRowSection(r), MeasuredCurrentKey(r));
        p.rows[r].resistances = ini.Value(MeasuredRowSection(r), MeasuredResistanceKey(r));
    }
    return p;
}

IniFile MeasuredParamsToIni(const MeasuredParams &p)
{
    IniFile ini;
    for (const MeasuredKey &k : kKeys)
        ini.SetValue(QString::fromUtf8(k.section), QString::fromUtf8(k.key), p.*(k.field));
    for (int r = 0; r < static_cast<int>(p.rows.size()); ++r) {
        ini.SetValue(MeasuredRowSection(r), MeasuredCurrentKey(r), p.rows[r].current);
        ini.SetValue(MeasuredRowSection(r), MeasuredResistanceKey(r), p.rows[r].resistances);
    }
    return ini;
}

bool ReadMeasuredParams(const QString &path, MeasuredParams *out, QString *error)
{
    IniFile ini;
    if (!IniFile::Load(path, &ini, error))
        return false;
    *out = MeasuredParamsFromIni(ini);
    return true;
}

bool WriteMeasuredParams(const QString &path, const MeasuredParams &params, QString *error)
{
    return MeasuredParamsToIni(params).Save(path, error);
}

#include "cli/param_keys.h"

#include "cli/cli_common.h"
#include <algorithm>
#include <vector>

bool ParseAssignment(const QString &text, KeyValue *out, QString *error)
{
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0) {
        *error = CliText::tr("应写成 KEY=VALUE：%1").arg(text);
        return false;
    }
    const QString name = text.left(eq).trimmed();
    const ParamKey *key = FindParamKey(name);
    if (!key) {
        *error = CliText::tr("未知参数：%1（pylvexctl params --help 列出全部参数）").arg(name);
        return false;
    }
    if (!KeyWritable(*key)) {
        *error = QStringLiteral("%1：%2").arg(name, QStringLiteral("参数为只读！"));
        return false;
    }
    out->key = key;
    return ParseKeyValues(*key, text.mid(eq + 1), &out->values, error);
}

bool ResolveReadKeys(const QStringList &names, std::vector<const ParamKey *> *keys, QString *error)
{
    keys->clear();
    if (names.isEmpty()) {
        for (const ParamKey &k : ParamKeys())
            if (KeyReadable(k))
                keys->push_back(&k);
        return true;
    }
    for (const QString &name : names) {
        const ParamKey *key = FindParamKey(name);
        if (!key) {
            *error = CliText::tr("未知参数：%1（pylvexctl params --help 列出全部参数）").arg(name);
            return false;
        }
        if (!KeyReadable(*key)) {
            *error = CliText::tr("%1：该参数只能写入，不能读取").arg(name);
            return false;
        }
        keys->push_back(key);
    }
    return true;
}

QString ParamKeysHelp()
{
    QString text = CliText::tr("参数（KEY，单位，有效范围，名称）：\n");
    struct Line {
        const ParamKey *key;
        QString units;
        QString range;
    };
    std::vector<Line> lines;
    int unitsWidth = 0, rangeWidth = 0;
    for (const ParamKey &k : ParamKeys()) {
        const PageParamRow &row = RowOf(k);
        QString range;
        if (row.format == RowFormat::WakeUp)
            range = CliText::tr("只读，唤醒方式代码");
        else if (row.format == RowFormat::RecordClear)
            range = CliText::tr("只写，值为 1");
        else
            range = QStringLiteral("%1 … %2").arg(row.min).arg(row.max);
        QString units = QString::fromUtf8(k.units);
        if (KeyValueCount(k) > 1)
            units = QStringLiteral("[%1]").arg(units);
        unitsWidth = std::max(unitsWidth, DisplayWidth(units));
        rangeWidth = std::max(rangeWidth, DisplayWidth(range));
        lines.push_back({&k, units, range});
    }
    // Columns lined up by the width a terminal gives each character.
    for (const Line &l : lines)
        text += QStringLiteral("  %1 %2 %3 %4\n")
                    .arg(QLatin1String(l.key->key), -28)
                    .arg(PadToWidth(l.units, unitsWidth), PadToWidth(l.range, rangeWidth), KeyLabel(*l.key));
    return text;
}

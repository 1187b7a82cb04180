#include "cli/ha_discovery.h"

#include "cli/cli_common.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// One entity: what it reads from the state and how Home Assistant shows it.
struct Entity {
    const char *key;
    const char *component;   // sensor or binary_sensor
    const char *name;        // translated
    const char *sources[2];  // state keys it needs (nullptr: none more)
    const char *value;       // Jinja expression of the value
    const char *unit;        // nullptr: none
    const char *deviceClass; // nullptr: none
    const char *stateClass;  // nullptr: none (a text or a binary sensor)
    const char *icon;        // nullptr: the device class's own
    int precision = -1;      // digits after the point; -1: as sent
};

const Entity kEntities[] = {
    {"soc",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "SOC"),
     {"soc"},
     "value_json.soc",
     "%",
     "battery",
     "measurement",
     nullptr},
    {"soh",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "SOH"),
     {"soh"},
     "value_json.soh",
     "%",
     nullptr,
     "measurement",
     "mdi:battery-heart-variant"},
    {"voltage",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "总电压"),
     {"total_voltage_mv"},
     "(value_json.total_voltage_mv / 1000) | round(3)",
     "V",
     "voltage",
     "measurement",
     nullptr,
     2},
    {"current",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "总电流"),
     {"current_ma"},
     "(value_json.current_ma / 1000) | round(3)",
     "A",
     "current",
     "measurement",
     nullptr,
     2},
    {"power",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "功率"),
     {"total_voltage_mv", "current_ma"},
     "(value_json.total_voltage_mv * value_json.current_ma / 1000000) | round(1)",
     "W",
     "power",
     "measurement",
     nullptr,
     1},
    {"remaining_capacity",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "剩余容量"),
     {"remaining_capacity_mah"},
     "value_json.remaining_capacity_mah",
     "mAh",
     nullptr,
     "measurement",
     "mdi:battery-medium"},
    {"full_capacity",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "满电容量"),
     {"full_capacity_mah"},
     "value_json.full_capacity_mah",
     "mAh",
     nullptr,
     "measurement",
     "mdi:battery"},
    {"cycles",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "循环次数"),
     {"cycles"},
     "value_json.cycles",
     nullptr,
     nullptr,
     "total_increasing",
     "mdi:battery-sync"},
    {"cell_highest",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "最高单节电压"),
     {"cell_highest_mv"},
     "value_json.cell_highest_mv",
     "mV",
     "voltage",
     "measurement",
     nullptr},
    {"cell_lowest",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "最低单节电压"),
     {"cell_lowest_mv"},
     "value_json.cell_lowest_mv",
     "mV",
     "voltage",
     "measurement",
     nullptr},
    {"cell_difference",
     "sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "单节压差"),
     {"cell_difference_mv"},
     "value_json.cell_difference_mv",
     "mV",
     "voltage",
     "measurement",
     nullptr},
    {"mos_charge",
     "binary_sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "充电 MOS"),
     {"mos"},
     "'ON' if value_json.mos.charge else 'OFF'",
     nullptr,
     "power",
     nullptr,
     nullptr},
    {"mos_discharge",
     "binary_sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "放电 MOS"),
     {"mos"},
     "'ON' if value_json.mos.discharge else 'OFF'",
     nullptr,
     "power",
     nullptr,
     nullptr},
    {"mos_pre_discharge",
     "binary_sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "预放电 MOS"),
     {"mos"},
     "'ON' if value_json.mos.pre_discharge else 'OFF'",
     nullptr,
     "power",
     nullptr,
     nullptr},
    {"alarm",
     "binary_sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "有报警"),
     {"alarm_bits"},
     "'ON' if value_json.alarm_bits else 'OFF'",
     nullptr,
     "problem",
     nullptr,
     nullptr},
    {"protection",
     "binary_sensor",
     QT_TRANSLATE_NOOP("pylvexctl", "有保护"),
     {"protection_bits"},
     "'ON' if value_json.protection_bits else 'OFF'",
     nullptr,
     "problem",
     nullptr,
     nullptr},
};

// The value when every key it needs is in the state, else None (unknown).
QString Template(const QString &value, const QStringList &conditions)
{
    return QStringLiteral("{{ (%1) if %2 else None }}").arg(value, conditions.join(QStringLiteral(" and ")));
}

QString Defined(const char *key)
{
    return QStringLiteral("value_json.%1 is defined").arg(QLatin1String(key));
}

QJsonObject Device(const BoardTopics &t, const QJsonObject &state)
{
    const QString sn = state.value(QLatin1String("sn")).toString();
    const bool secondary = state.value(QLatin1String("board")).toString() == QLatin1String("secondary");
    QJsonObject d{
        {"identifiers", QJsonArray{QStringLiteral("pylvex_") + t.board}},
        {"name", CliText::tr("保护板 %1").arg(sn.isEmpty() ? t.board : sn)},
        {"model", secondary ? CliText::tr("BMS 保护板（副板）") : CliText::tr("BMS 保护板（主板）")},
    };
    if (!sn.isEmpty())
        d["serial_number"] = sn;
    if (state.contains(QLatin1String("software_version")))
        d["sw_version"] = state.value(QLatin1String("software_version"));
    if (state.contains(QLatin1String("hardware_version")))
        d["hw_version"] = state.value(QLatin1String("hardware_version"));
    return d;
}

struct Shown {
    QString key;
    const char *component;
    QString name;
    QString valueTemplate;
    const char *unit;
    const char *deviceClass;
    const char *stateClass;
    const char *icon;
    int precision;
};

MqttMessage Config(const BoardTopics &t, const QJsonObject &device, const Shown &e)
{
    QJsonObject c{
        {"name", e.name},
        {"has_entity_name", true},
        {"unique_id", QStringLiteral("pylvex_%1_%2").arg(t.board, e.key)},
        {"object_id", QStringLiteral("%1_%2").arg(t.board, e.key)},
        {"state_topic", t.state},
        {"value_template", e.valueTemplate},
        {"availability_topic", t.availability},
        {"payload_available", "online"},
        {"payload_not_available", "offline"},
        {"device", device},
    };
    if (QLatin1String(e.component) == QLatin1String("binary_sensor")) {
        c["payload_on"] = "ON";
        c["payload_off"] = "OFF";
    }
    if (e.unit)
        c["unit_of_measurement"] = QString::fromUtf8(e.unit);
    if (e.deviceClass)
        c["device_class"] = QLatin1String(e.deviceClass);
    if (e.stateClass)
        c["state_class"] = QLatin1String(e.stateClass);
    if (e.icon)
        c["icon"] = QLatin1String(e.icon);
    if (e.precision >= 0)
        c["suggested_display_precision"] = e.precision;
    const QString topic =
        QStringLiteral("homeassistant/%1/%2_%3/config").arg(QLatin1String(e.component), t.board, e.key);
    return {topic.toUtf8(), QJsonDocument(c).toJson(QJsonDocument::Compact), true};
}

// The text sensor of the alarm or protection names: "无" when none is set.
Shown NamesSensor(const char *key, const char *name, const char *list, const char *icon)
{
    const QString value = QStringLiteral("value_json.%1 | join(', ') if value_json.%1 else '%2'")
                              .arg(QLatin1String(list), CliText::tr("无"));
    return {
        QLatin1String(key), "sensor", Tr(name), Template(value, {Defined(list)}), nullptr, nullptr, nullptr, icon, -1};
}

// An entity per element of an array of the state.
void PerElement(std::vector<Shown> &out, const QJsonObject &state, const char *list, const char *key, const char *name,
                const char *unit, const char *deviceClass, int precision)
{
    const qsizetype n = state.value(QLatin1String(list)).toArray().size();
    for (qsizetype i = 0; i < n; ++i) {
        const QString value = QStringLiteral("value_json.%1[%2]").arg(QLatin1String(list)).arg(i);
        const QString fits = QStringLiteral("value_json.%1 | length > %2").arg(QLatin1String(list)).arg(i);
        out.push_back({QStringLiteral("%1_%2").arg(QLatin1String(key)).arg(i + 1), "sensor", Tr(name).arg(i + 1),
                       Template(value, {Defined(list), fits}), unit, deviceClass, "measurement", nullptr, precision});
    }
}

} // namespace

BoardTopics TopicsOf(const QString &prefix, const QString &board)
{
    return {board, QStringLiteral("%1/%2/state").arg(prefix, board),
            QStringLiteral("%1/%2/availability").arg(prefix, board)};
}

std::vector<MqttMessage> DiscoveryConfigs(const BoardTopics &topics, const QJsonObject &state)
{
    std::vector<Shown> shown;
    for (const Entity &e : kEntities) {
        QStringList conditions;
        for (const char *source : e.sources)
            if (source)
                conditions.append(Defined(source));
        bool present = true;
        for (const char *source : e.sources)
            present = present && (!source || state.contains(QLatin1String(source)));
        if (present)
            shown.push_back({QLatin1String(e.key), e.component, Tr(e.name),
                             Template(QLatin1String(e.value), conditions), e.unit, e.deviceClass, e.stateClass, e.icon,
                             e.precision});
    }
    if (state.contains(QLatin1String("alarms")))
        shown.push_back(NamesSensor("alarms", QT_TRANSLATE_NOOP("pylvexctl", "报警"), "alarms", "mdi:alert"));
    if (state.contains(QLatin1String("protections")))
        shown.push_back(
            NamesSensor("protections", QT_TRANSLATE_NOOP("pylvexctl", "保护"), "protections", "mdi:shield-alert"));
    PerElement(shown, state, "temperatures_c", "temperature", QT_TRANSLATE_NOOP("pylvexctl", "温度 %1"), "°C",
               "temperature", 1);
    PerElement(shown, state, "cells_mv", "cell", QT_TRANSLATE_NOOP("pylvexctl", "单节电压 %1"), "mV", "voltage", -1);

    const QJsonObject device = Device(topics, state);
    std::vector<MqttMessage> out;
    out.reserve(shown.size());
    for (const Shown &e : shown)
        out.push_back(Config(topics, device, e));
    return out;
}

#include "cli/cli_options.h"

#include "cli/param_keys.h"
#include "link/portprofile.h"
#include "version.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace {

struct CommandInfo {
    const char *name;
    QStringList verbs;  // empty: the command takes no verb
    const char *syntax; // positional part of the usage line
    const char *summary;
    QStringList options; // names of its own options
};

const std::vector<CommandInfo> &Commands()
{
    static const std::vector<CommandInfo> commands = {
        {"ports", {}, "", QT_TRANSLATE_NOOP("pylvexctl", "列出找到的串口及其说明"), {}},
        {"status", {}, "", QT_TRANSLATE_NOOP("pylvexctl", "读取全部实时状态（支持时批量读取，否则逐项读取）"), {}},
        {"watch",
         {},
         "",
         QT_TRANSLATE_NOOP("pylvexctl", "反复读取实时状态，直到被中断（Ctrl-C）；每次一行 JSON 或一行 CSV"),
         {"every", "csv", "mqtt", "mqtt-prefix", "mqtt-cafile", "no-discovery"}},
        {"params",
         {"get", "set"},
         "get [KEY...] | set KEY=VALUE...",
         QT_TRANSLATE_NOOP("pylvexctl", "读取或写入两个门限页面的参数；每次写入都会读回比较"),
         {}},
        {"profile",
         {"save", "diff", "apply"},
         "save FILE | diff FILE | apply FILE",
         QT_TRANSLATE_NOOP("pylvexctl", "把全部可读参数存入 JSON 文件，与板卡比较，或把不同的参数写回板卡"),
         {"only", "dry-run"}},
        {"clock",
         {},
         "",
         QT_TRANSLATE_NOOP("pylvexctl", "读取板卡时钟；--set 按电脑时间设置，--sync 相差超过 600 秒时才设置"),
         {"set", "sync"}},
        {"log",
         {"alarm", "protection"},
         "alarm|protection",
         QT_TRANSLATE_NOOP("pylvexctl", "读取板卡的报警或保护日志"),
         {"xlsx"}},
        {"records", {}, "", QT_TRANSLATE_NOOP("pylvexctl", "读取板卡存储的电池记录"), {"xlsx"}},
        {"upgrade", {}, "FILE", QT_TRANSLATE_NOOP("pylvexctl", "升级板卡固件（命令协议或 YModem）"), {"ymodem"}},
    };
    return commands;
}

const CommandInfo *FindCommand(const QString &name)
{
    for (const CommandInfo &c : Commands())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QList<QCommandLineOption> CommonOptionList()
{
    return {
        {{"h", "help"}, CliText::tr("显示帮助")},
        {{"v", "version"}, CliText::tr("显示版本号并退出")},
        {"port", CliText::tr("串口设备（ttyUSB0 或 /dev/pts/3 这样的路径）；默认是窗口程序上次使用的串口"), "DEVICE"},
        {"baud", CliText::tr("波特率；默认是窗口程序保存的波特率（未保存时 9600）"), "BAUD"},
        {"interval", CliText::tr("命令发送间隔（毫秒，10 至 2000）；默认是窗口程序保存的间隔（未保存时 400）"), "MS"},
        {"timeout", CliText::tr("每个请求等待应答的时间（毫秒，默认 1000）；无应答时重试一次"), "MS"},
        {"secondary", CliText::tr("与副电板通讯（应答的链路字节为 0xD3）")},
        {"json", CliText::tr("在标准输出给出 JSON（默认是便于阅读的表格）")},
        {"verbose", CliText::tr("在标准错误输出每个收发的帧（十六进制）")},
        {"capture", CliText::tr("把收发的每个帧抓包写入 pcapng 文件（可用 Wireshark 查看）"), "FILE"},
        {"lang", CliText::tr("消息和帮助的语言：zh（中文）或 en（英文）；默认跟随系统的区域设置"), "zh|en"},
    };
}

QCommandLineOption OwnOption(const QString &name)
{
    if (name == QLatin1String("every"))
        return {"every", CliText::tr("两次读取之间的秒数（可带小数，默认 1）"), "S"};
    if (name == QLatin1String("csv"))
        return {"csv",
                CliText::tr("同时把每次的状态追加为 CSV 行（与窗口程序的每日 CSV 格式相同，GBK）；- 表示标准输出；"
                            "给出文件夹时每天写入其中的 Record_<日期>.csv"),
                "FILE"};
    if (name == QLatin1String("mqtt"))
        return {"mqtt",
                CliText::tr("同时把状态发布到 MQTT 代理：mqtt://[用户名@]主机[:端口] 或 mqtts://...；"
                            "密码取自环境变量 PYLVEX_MQTT_PASSWORD"),
                "URL"};
    if (name == QLatin1String("mqtt-prefix"))
        return {"mqtt-prefix", CliText::tr("MQTT 主题的前缀（默认 pylvex）"), "PREFIX"};
    if (name == QLatin1String("mqtt-cafile"))
        return {"mqtt-cafile", CliText::tr("mqtts:// 时用来验证代理证书的 CA 证书文件（默认用系统的 CA 证书）"),
                "FILE"};
    if (name == QLatin1String("no-discovery"))
        return {"no-discovery", CliText::tr("不发布 Home Assistant 的自动发现配置")};
    if (name == QLatin1String("only"))
        return {"only", CliText::tr("只写入这些参数（可重复，或用逗号分隔）"), "KEY"};
    if (name == QLatin1String("dry-run"))
        return {"dry-run", CliText::tr("只列出将要写入的参数，不写入")};
    if (name == QLatin1String("set"))
        return {"set", CliText::tr("按电脑的本地时间设置板卡时钟")};
    if (name == QLatin1String("sync"))
        return {"sync", CliText::tr("板卡时钟与电脑相差超过 600 秒时才设置")};
    if (name == QLatin1String("xlsx"))
        return {"xlsx", CliText::tr("同时写入 Excel 工作簿（与页面导出的格式相同）"), "FILE"};
    if (name == QLatin1String("ymodem"))
        return {"ymodem", CliText::tr("用 YModem 升级：raw（直接）或 wrapped（封装在帧中）"), "MODE"};
    return {name, name};
}

// Options that take a value, so the token after them is not the subcommand.
bool TakesValue(const QString &token)
{
    static const QStringList valued = {"--port", "--baud",        "--interval",    "--timeout", "--every",
                                       "--csv",  "--only",        "--xlsx",        "--ymodem",  "--capture",
                                       "--mqtt", "--mqtt-prefix", "--mqtt-cafile", "--lang"};
    return valued.contains(token);
}

QString ProgramHelp()
{
    QString text = CliText::tr("用法：pylvexctl [选项] <子命令> [参数]\n\n"
                               "在命令行操作 BMS 保护板：查看状态、读写门限参数、保存和恢复参数、校时。\n\n"
                               "子命令：\n");
    for (const CommandInfo &c : Commands())
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(c.name), -10).arg(Tr(c.summary));
    text += CliText::tr("\n共同选项：\n");
    for (const QCommandLineOption &o : CommonOptionList()) {
        QString names;
        for (const QString &n : o.names())
            names += (names.isEmpty() ? QString() : QStringLiteral(", ")) + (n.size() == 1 ? "-" : "--") + n;
        if (!o.valueName().isEmpty())
            names += QLatin1Char(' ') + o.valueName();
        text += QStringLiteral("  %1%2\n").arg(names, -22).arg(o.description());
    }
    text += CliText::tr("\n退出状态：0 成功；1 板卡应答错误，或读回、比较不一致；2 用法错误（未知参数、数值超出范围）；"
                        "3 链路错误（没有该串口、串口被占用、没有权限、无应答）；4 仅 upgrade：板卡已接收升级文件，"
                        "但重启后读不到新版本。\n"
                        "每个子命令的说明：pylvexctl <子命令> --help\n");
    return text;
}

CliRequest Fail(const QString &text)
{
    CliRequest r;
    r.action = CliRequest::Action::Fail;
    r.text = text;
    return r;
}

CliRequest Help(const QString &text)
{
    CliRequest r;
    r.action = CliRequest::Action::Help;
    r.text = text;
    return r;
}

QString VersionText()
{
    return QStringLiteral("pylvexctl %1\n").arg(QLatin1String(kPylvexVersion));
}

// The parameter keys of one kind, one per line: what the shell completion
// offers. Not in the help text; the kinds are "readable" (params get),
// "writable" (params set) and "stored" (profile apply --only).
CliRequest ListKeys(const QStringList &args)
{
    using Filter = bool (*)(const ParamKey &);
    static const std::pair<const char *, Filter> kinds[] = {
        {"readable", KeyReadable}, {"writable", KeyWritable}, {"stored", KeyStored}};
    if (args.size() == 2)
        for (const auto &[kind, keep] : kinds)
            if (args[1] == QLatin1String(kind)) {
                QString text;
                for (const ParamKey &k : ParamKeys())
                    if (keep(k))
                        text += QLatin1String(k.key) + QLatin1Char('\n');
                return Help(text);
            }
    return Fail(CliText::tr("--list-keys 需要 readable、writable 或 stored 之一"));
}

bool IntOption(const QCommandLineParser &p, const QString &name, int min, int max, int *out, QString *error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).trimmed().toInt(&ok);
    if (!ok || v < min || v > max) {
        *error = CliText::tr("--%1 的值无效，有效范围是 %2 至 %3").arg(name).arg(min).arg(max);
        return false;
    }
    *out = v;
    return true;
}

QString WatchHelp()
{
    return CliText::tr("\n--port 可以给出多次：每个串口有自己的连接和节奏，一块板卡无应答不会耽误其他板卡；"
                       "这时 --csv 给出一个文件夹，每块板卡写一个文件。\n"
                       "--mqtt 时每次读取后把与 status --json 相同的 JSON 对象发布到 <前缀>/<板卡>/state，"
                       "<板卡> 是板卡的 SN 码（没有时是串口名）；<前缀>/<板卡>/availability 保留为 online 或 offline；"
                       "Home Assistant 的自动发现配置发布在 homeassistant/<类型>/<板卡>_<项目>/config 下。\n"
                       "代理断开时继续读取板卡并按退避间隔重连；代理拒绝登录或证书无效时以状态 3 退出。\n"
                       "重新连接后读到的 SN 码与之前不同时，在标准错误和 JSON 输出中说明，CSV 另起一个文件。\n");
}

QString CommandHelp(const CommandInfo &info, QCommandLineParser &parser)
{
    QString text = parser.helpText();
    text += QLatin1Char('\n');
    if (info.name == QLatin1String("params") || info.name == QLatin1String("profile")) {
        text += CliText::tr("多值参数的值用逗号分隔，例如 balance_diff_mv=30,10；温度以整摄氏度输入和显示。\n"
                            "JSON 输出中每个参数是一个数，多值参数是一组数。\n\n");
        text += ParamKeysHelp();
    }
    if (info.name == QLatin1String("params") || info.name == QLatin1String("profile"))
        text += CliText::tr("\n这些参数属于内部调试模式：先要输入与窗口程序相同的密码（从终端输入，不回显；"
                            "或取自环境变量 PYLVEX_PASSWORD），再请求板卡进入内部调试模式。\n");
    if (info.name == QLatin1String("upgrade"))
        text += CliText::tr(
            "\n不带 --ymodem 时用命令协议升级（命令间隔 10 ms，每块带 CRC 校验）；--ymodem raw 先请求中继器进入"
            "升级，把 YModem 数据包直接发出；--ymodem wrapped 先请求板卡进入升级，把数据包封装在帧中发出。\n"
            "只有 --ymodem wrapped（板卡自己的升级程序）属于内部调试模式：先要输入与窗口程序相同的密码（从终端"
            "输入，不回显；或取自环境变量 PYLVEX_PASSWORD），再请求板卡进入内部调试模式；命令协议和 --ymodem raw "
            "不需要密码。\n"
            "进度在终端上显示为进度条，否则在标准错误上逐行输出；结束后等板卡重启（最多 12 秒）并读回板卡的版本，"
            "给出升级前后的软件版本（版本没有变化只是警告）。\n"
            "退出状态：0 成功；1 板卡应答错误或升级失败；2 文件缺失、不可读、为空或过大，或密码错误；3 串口错误或"
            "板卡无应答；4 板卡已接收升级文件，但重启后读不到新版本。\n");
    if (info.name == QLatin1String("watch"))
        text += WatchHelp();
    if (info.name == QLatin1String("profile"))
        text += CliText::tr("\ndiff 在有不同的参数时以状态 1 退出；apply 写入不同的参数（或 --only 给出的参数），"
                            "读回比较，有参数未生效时以状态 1 退出。\n");
    return text;
}

// The options of watch beyond --every and --csv: every --port, and where to publish.
bool ParseWatchOptions(const QCommandLineParser &p, CliRequest *r, QString *error)
{
    for (const QString &port : p.values(QStringLiteral("port"))) {
        if (port.trimmed().isEmpty() || r->ports.contains(port.trimmed())) {
            *error = CliText::tr("--port 的值无效或重复：%1").arg(port);
            return false;
        }
        r->ports.append(port.trimmed());
    }
    if (r->ports.size() > 1 && r->csvPath == QLatin1String("-")) {
        *error = CliText::tr("多个串口时 --csv 需要一个文件夹，不能是标准输出");
        return false;
    }
    MqttSettings &m = r->mqttSettings;
    r->mqtt = p.isSet(QStringLiteral("mqtt"));
    if (!r->mqtt) {
        for (const char *name : {"mqtt-prefix", "mqtt-cafile", "no-discovery"})
            if (p.isSet(QLatin1String(name))) {
                *error = CliText::tr("--%1 只能与 --mqtt 一起使用").arg(QLatin1String(name));
                return false;
            }
        return true;
    }
    if (!ParseMqttUrl(p.value(QStringLiteral("mqtt")), &m, error))
        return false;
    m.password = qEnvironmentVariable(kMqttPasswordVariable);
    m.discovery = !p.isSet(QStringLiteral("no-discovery"));
    if (p.isSet(QStringLiteral("mqtt-prefix")))
        m.prefix = p.value(QStringLiteral("mqtt-prefix")).trimmed();
    if (!ValidTopicPrefix(m.prefix)) {
        *error = CliText::tr("--mqtt-prefix 的值无效：不能为空，不能含 +、# 或空的层级");
        return false;
    }
    if (p.isSet(QStringLiteral("mqtt-cafile"))) {
        m.caFile = p.value(QStringLiteral("mqtt-cafile"));
        if (!m.tls) {
            *error = CliText::tr("--mqtt-cafile 只用于 mqtts:// 地址");
            return false;
        }
        if (!QFileInfo(m.caFile).isFile() || !QFileInfo(m.caFile).isReadable()) {
            *error = CliText::tr("无法读取 CA 证书文件：%1").arg(m.caFile);
            return false;
        }
    }
    return true;
}

// Positional arguments each subcommand takes after its verb.
bool CheckArgumentCount(const CliRequest &r)
{
    const qsizetype n = r.args.size();
    if (r.command == QLatin1String("params"))
        return r.verb == QLatin1String("get") || n >= 1;
    if (r.command == QLatin1String("profile") || r.command == QLatin1String("upgrade"))
        return n == 1;
    return n == 0;
}

} // namespace

CliRequest ParseCli(const QStringList &arguments)
{
    const QStringList args = arguments.mid(1);
    if (!args.isEmpty() && args.first() == QLatin1String("--list-keys"))
        return ListKeys(args);
    QString commandName;
    bool wantsHelp = false;
    bool wantsVersion = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &t = args[i];
        if (t == QLatin1String("-h") || t == QLatin1String("--help"))
            wantsHelp = true;
        if (t == QLatin1String("-v") || t == QLatin1String("--version"))
            wantsVersion = true;
        if (t.startsWith(u'-')) {
            if (TakesValue(t))
                ++i;
            continue;
        }
        commandName = t;
        break;
    }
    if (commandName.isEmpty()) {
        if (wantsHelp)
            return Help(ProgramHelp());
        if (wantsVersion)
            return Help(VersionText());
        return Fail(ProgramHelp());
    }
    const CommandInfo *info = FindCommand(commandName);
    if (!info)
        return Fail(
            CliText::tr("未知的子命令：%1\n%2").arg(commandName, CliText::tr("pylvexctl --help 列出全部子命令")));

    QCommandLineParser parser;
    parser.setApplicationDescription(Tr(info->summary));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(CommonOptionList());
    for (const QString &name : info->options)
        parser.addOption(OwnOption(name));
    parser.addPositionalArgument(QString::fromLatin1(info->name), Tr(info->summary),
                                 QStringLiteral("%1 %2").arg(QLatin1String(info->name), QLatin1String(info->syntax)));
    if (!parser.parse(arguments))
        return Fail(parser.errorText() + QLatin1Char('\n') + CliText::tr("%1 --help 给出用法").arg(commandName));
    if (parser.isSet(QStringLiteral("help")))
        return Help(CommandHelp(*info, parser));
    if (parser.isSet(QStringLiteral("version")))
        return Help(VersionText());

    CliRequest r;
    r.command = commandName;
    QStringList positional = parser.positionalArguments();
    positional.removeFirst();
    if (!info->verbs.isEmpty()) {
        if (positional.isEmpty() || !info->verbs.contains(positional.first()))
            return Fail(CliText::tr("%1 需要 %2 之一\n%3")
                            .arg(commandName, info->verbs.join(QStringLiteral("、")),
                                 CliText::tr("%1 --help 给出用法").arg(commandName)));
        r.verb = positional.takeFirst();
    }
    r.args = positional;
    if (!CheckArgumentCount(r))
        return Fail(
            CliText::tr("%1 的参数个数不对\n%2").arg(commandName, CliText::tr("%1 --help 给出用法").arg(commandName)));

    QString error;
    CommonOptions &c = r.common;
    c.port = parser.value(QStringLiteral("port")).trimmed();
    c.secondary = parser.isSet(QStringLiteral("secondary"));
    c.json = parser.isSet(QStringLiteral("json"));
    c.verbose = parser.isSet(QStringLiteral("verbose"));
    c.capture = parser.value(QStringLiteral("capture"));
    if (parser.isSet(QStringLiteral("capture")) && c.capture.trimmed().isEmpty())
        return Fail(CliText::tr("--capture 需要一个文件名"));
    if (!IntOption(parser, QStringLiteral("baud"), 50, 4000000, &c.baud, &error) ||
        !IntOption(parser, QStringLiteral("interval"), kCmdSndInvlMin, kCmdSndInvlMax, &c.intervalMs, &error) ||
        !IntOption(parser, QStringLiteral("timeout"), 10, 600000, &c.timeoutMs, &error))
        return Fail(error);

    if (info->options.contains(QStringLiteral("every")) && parser.isSet(QStringLiteral("every"))) {
        bool ok = false;
        r.everySec = parser.value(QStringLiteral("every")).trimmed().toDouble(&ok);
        if (!ok || !(r.everySec >= 0) || r.everySec > 86400)
            return Fail(CliText::tr("--every 的值无效，有效范围是 0 至 86400 秒"));
    }
    if (info->options.contains(QStringLiteral("csv")))
        r.csvPath = parser.value(QStringLiteral("csv"));
    if (info->options.contains(QStringLiteral("mqtt")) && !ParseWatchOptions(parser, &r, &error))
        return Fail(error);
    if (info->options.contains(QStringLiteral("only")))
        for (const QString &v : parser.values(QStringLiteral("only")))
            for (const QString &key : v.split(u',', Qt::SkipEmptyParts))
                r.only.append(key.trimmed());
    r.dryRun = info->options.contains(QStringLiteral("dry-run")) && parser.isSet(QStringLiteral("dry-run"));
    if (info->options.contains(QStringLiteral("set"))) {
        r.clockSet = parser.isSet(QStringLiteral("set"));
        r.clockSync = parser.isSet(QStringLiteral("sync"));
        if (r.clockSet && r.clockSync)
            return Fail(CliText::tr("--set 与 --sync 只能给出一个"));
    }
    if (info->options.contains(QStringLiteral("xlsx")))
        r.xlsxPath = parser.value(QStringLiteral("xlsx"));
    if (info->options.contains(QStringLiteral("ymodem"))) {
        r.ymodem = parser.value(QStringLiteral("ymodem"));
        if (parser.isSet(QStringLiteral("ymodem")) && r.ymodem != QLatin1String("raw") &&
            r.ymodem != QLatin1String("wrapped"))
            return Fail(CliText::tr("--ymodem 只接受 raw 或 wrapped"));
    }
    return r;
}

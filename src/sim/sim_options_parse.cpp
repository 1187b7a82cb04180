#include "sim/sim_options_parse.h"

#include "lang/language.h"
#include "protocol/debug_cmds.h"
#include "sim/sim_replay.h"
#include "version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <limits>

namespace {
struct IntSwitch {
    const char *name;
    const char *valueName;
    const char *description;
    int SimOptions::*field;
    int min;
    int max;
};

const IntSwitch kIntSwitches[] = {
    {"drop-every", "N", QT_TRANSLATE_NOOP("SimOptions", "每第 N 个应答不发送（丢帧）"), &SimOptions::dropEvery, 0,
     1000000},
    {"corrupt-every", "N", QT_TRANSLATE_NOOP("SimOptions", "每第 N 个应答的校验码错误"), &SimOptions::corruptEvery, 0,
     1000000},
    {"wrong-length-every", "N", QT_TRANSLATE_NOOP("SimOptions", "每第 N 个应答多带一个数据字节（长度错误）"),
     &SimOptions::wrongLengthEvery, 0, 1000000},
    {"result-code", "CODE", QT_TRANSLATE_NOOP("SimOptions", "每个应答只带这个非零错误码（可写 0x..）"),
     &SimOptions::resultCode, 0, 255},
    {"garbage", "N", QT_TRANSLATE_NOOP("SimOptions", "每个应答前插入 N 个干扰字节"), &SimOptions::garbageBytes, 0,
     4096},
    {"byte-delay", "MS", QT_TRANSLATE_NOOP("SimOptions", "应答逐字节写出，字节间隔 MS 毫秒"), &SimOptions::byteDelayMs,
     0, 60000},
    {"answer-delay", "MS", QT_TRANSLATE_NOOP("SimOptions", "每个应答延迟 MS 毫秒后写出"), &SimOptions::answerDelayMs, 0,
     600000},
    {"clock-offset", "S", QT_TRANSLATE_NOOP("SimOptions", "板卡时钟与电脑时钟相差 S 秒（默认 -180）"),
     &SimOptions::clockOffsetSec, -50 * 365 * 86400, 50 * 365 * 86400},
    {"baud", "BAUD", QT_TRANSLATE_NOOP("SimOptions", "打开串口设备时的波特率（默认 9600）"), &SimOptions::baud, 1200,
     921600},
    {"log-result", "CODE", QT_TRANSLATE_NOOP("SimOptions", "日志读取请求只应答这个非零错误码（可写 0x..）"),
     &SimOptions::logResultCode, 0, 255},
    {"soc-fail-stage", "N", QT_TRANSLATE_NOOP("SimOptions", "SOC 学习进行到第 N 阶段（1-10）时失败"),
     &SimOptions::socFailStage, 0, 10},
    {"fw-refuse-request", "CODE", QT_TRANSLATE_NOOP("SimOptions", "命令升级：拒绝升级请求，原因码 CODE"),
     &SimOptions::fwRefuseRequest, 0, 255},
    {"fw-refuse-check", "CODE", QT_TRANSLATE_NOOP("SimOptions", "命令升级：固件信息校验应答状态 CODE"),
     &SimOptions::fwRefuseCheck, 0, 255},
    {"fw-erase-fail", "0|1", QT_TRANSLATE_NOOP("SimOptions", "命令升级：擦除 FLASH 失败"), &SimOptions::fwEraseFail, 0,
     1},
    {"fw-block-size", "CODE",
     QT_TRANSLATE_NOOP("SimOptions", "命令升级：擦除应答的块长度码（2=128，3=244，其他=64；默认 2）"),
     &SimOptions::fwBlockSizeCode, 0, 255},
    {"fw-check-error", "N", QT_TRANSLATE_NOOP("SimOptions", "命令升级：第 N 块第一次写入应答校验错误"),
     &SimOptions::fwCheckErrorBlock, 0, 65535},
    {"fw-check-error-twice", "N", QT_TRANSLATE_NOOP("SimOptions", "命令升级：第 N 块前两次写入都应答校验错误"),
     &SimOptions::fwCheckErrorTwice, 0, 65535},
    {"fw-write-fail", "N", QT_TRANSLATE_NOOP("SimOptions", "命令升级：第 N 块写 FLASH 失败"),
     &SimOptions::fwWriteFailBlock, 0, 65535},
    {"fw-bad-number", "N", QT_TRANSLATE_NOOP("SimOptions", "命令升级：第 N 块应答块编号异常"),
     &SimOptions::fwBadNumberBlock, 0, 65535},
    {"fw-final-fail", "0|1", QT_TRANSLATE_NOOP("SimOptions", "命令升级：查询升级结果应答失败"),
     &SimOptions::fwFinalFail, 0, 1},
    {"fw-drop-answer", "STEP", QT_TRANSLATE_NOOP("SimOptions", "命令升级：不发送应答步骤 STEP（2、4 … 10）的应答"),
     &SimOptions::fwDropAnswer, 0, 255},
    {"fw-repeat-answer", "STEP", QT_TRANSLATE_NOOP("SimOptions", "命令升级：应答步骤 STEP 的应答发送两次"),
     &SimOptions::fwRepeatAnswer, 0, 255},
    {"ym-nak", "N", QT_TRANSLATE_NOOP("SimOptions", "YModem：对第 N 个数据块回 NAK"), &SimOptions::ymNakBlock, 0,
     1000000},
    {"ym-can", "N", QT_TRANSLATE_NOOP("SimOptions", "YModem：收到第 N 个数据块时取消传输（CAN）"),
     &SimOptions::ymCanBlock, 0, 1000000},
    {"ym-drop-ack", "N", QT_TRANSLATE_NOOP("SimOptions", "YModem：第 N 个数据块的 ACK 丢失一次"),
     &SimOptions::ymDropAckBlock, 0, 1000000},
    {"ym-c-repeat", "N", QT_TRANSLATE_NOOP("SimOptions", "YModem：开始时连续发送 N 个字符 C（默认 1）"),
     &SimOptions::ymCRepeat, 1, 100},
    {"silent-after", "S", QT_TRANSLATE_NOOP("SimOptions", "启动 S 秒后板卡不再应答（与 --silent-for 一起使用可恢复）"),
     &SimOptions::silentAfterSec, 0, 86400},
    {"silent-for", "S", QT_TRANSLATE_NOOP("SimOptions", "不应答持续 S 秒后恢复应答（默认一直不应答）"),
     &SimOptions::silentForSec, 0, 86400},
    {"restart-silent", "S", QT_TRANSLATE_NOOP("SimOptions", "升级成功后板卡重启，S 秒内不应答"),
     &SimOptions::restartSilentSec, 0, 3600},
    {"soc-fail-code", "CODE", QT_TRANSLATE_NOOP("SimOptions", "SOC 学习失败时的错误码（默认 0x51）"),
     &SimOptions::socFailCode, 1, 255},
};

bool ParseInt(const QString &text, int min, int max, int &out)
{
    bool ok = false;
    qlonglong v = text.trimmed().toLongLong(&ok, 0);
    if (!ok || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}
// Reads the capture to replay into the options; false with the error set.
bool LoadReplay(const QString &path, SimCommandLine &result)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            QCoreApplication::translate("SimOptions", "无法读取抓包文件 %1：%2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::string problem;
    auto book = std::make_shared<ReplayBook>(ReplayBook::FromCapture(
        {reinterpret_cast<const std::uint8_t *>(bytes.constData()), static_cast<std::size_t>(bytes.size())}, &problem));
    if (book->Empty()) {
        result.error =
            problem.empty()
                ? QCoreApplication::translate("SimOptions", "抓包文件 %1 中没有可回放的请求").arg(path)
                : QCoreApplication::translate("SimOptions", "抓包文件 %1 无法读取（%2），其中没有可回放的请求")
                      .arg(path, QString::fromStdString(problem));
        return false;
    }
    result.replayPath = path;
    result.replayProblem = QString::fromStdString(problem);
    result.options.replay = std::move(book);
    return true;
}
} // namespace

SimClockOffsetRange ClockOffsetRange(std::int64_t nowMs)
{
    // The clock answer carries the year less 2000 in one byte; the board clock
    // runs in local time.
    const QDateTime first(QDate(2000, 1, 1), QTime(0, 0));
    const QDateTime last(QDate(2255, 12, 31), QTime(23, 59, 59));
    const std::int64_t now = nowMs / 1000;
    auto clampToInt = [](std::int64_t v) {
        return static_cast<int>(
            std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() + 1, std::numeric_limits<int>::max()));
    };
    // One day of margin on both sides: the offset applies to a clock that keeps running.
    return {clampToInt(first.toSecsSinceEpoch() - now + 86400), clampToInt(last.toSecsSinceEpoch() - now - 86400)};
}

SimCommandLine ParseSimCommandLine(const QStringList &arguments)
{
    SimCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "SimOptions", "模拟保护板：在伪终端（默认，打印设备路径）或给定的串口设备上应答上位机的请求。\n"
                      "收到 SIGTERM 或 SIGINT 时正常退出。"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("device"),
                                 QCoreApplication::translate("SimOptions", "要打开的串口设备；省略时创建伪终端"),
                                 QStringLiteral("[device]"));
    QCommandLineOption secondary(
        QStringLiteral("secondary"),
        QCoreApplication::translate("SimOptions", "同一链路上再模拟一块副电板（链路字节 0xD3）"));
    QCommandLineOption repeater(
        QStringLiteral("repeater"),
        QCoreApplication::translate("SimOptions", "板前接一个中继器：应答 0x01 类命令，其余命令转给保护板"));
    QCommandLineOption refuseInternal(QStringLiteral("refuse-internal"),
                                      QCoreApplication::translate("SimOptions", "拒绝进入内部调试模式（应答错误码）"));
    QCommandLineOption secondTry(QStringLiteral("second-try"),
                                 QCoreApplication::translate("SimOptions", "相同请求只应答第二次"));
    QCommandLineOption noBatch(QStringLiteral("no-batch"),
                               QCoreApplication::translate("SimOptions", "不支持批量状态读取（应答错误码）"));
    QCommandLineOption noLog(QStringLiteral("no-log"),
                             QCoreApplication::translate("SimOptions", "日志读取请求只应答确认帧，不发送日志数据"));
    QCommandLineOption verbose(QStringLiteral("verbose"),
                               QCoreApplication::translate("SimOptions", "在标准错误输出每个收发的十六进制字节"));
    QCommandLineOption speed(QStringLiteral("speed"),
                             QCoreApplication::translate("SimOptions", "电池模型时间倍速（默认 1）"),
                             QStringLiteral("X"));
    QCommandLineOption seed(QStringLiteral("seed"), QCoreApplication::translate("SimOptions", "随机数种子（默认 1）"),
                            QStringLiteral("N"));
    QCommandLineOption storeImage(QStringLiteral("store-image"),
                                  QCoreApplication::translate("SimOptions", "升级收到的固件映像写入这个文件"),
                                  QStringLiteral("FILE"));
    QCommandLineOption link(
        QStringLiteral("link"),
        QCoreApplication::translate("SimOptions",
                                    "伪终端另有一个固定路径：在 PATH 处建立指向它的符号链接（重启模拟板后路径不变）"),
        QStringLiteral("PATH"));
    QCommandLineOption replay(
        QStringLiteral("replay"),
        QCoreApplication::translate("SimOptions",
                                    "按抓包文件（pcapng）中记录的应答回答相同的请求；文件中没有的请求由模拟板应答"),
        QStringLiteral("FILE"));
    QCommandLineOption replayStrict(
        QStringLiteral("replay-strict"),
        QCoreApplication::translate("SimOptions", "与 --replay 一起使用：文件中没有的请求不应答"));
    QCommandLineOption sn(
        QStringLiteral("sn"),
        QCoreApplication::translate("SimOptions",
                                    "主板的 SN 码（可打印的 ASCII 字符，不含空格，最多 32 个；默认是内置的 SN 码）"),
        QStringLiteral("TEXT"));
    QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                               QCoreApplication::translate("SimOptions", "显示版本号并退出"));
    // Read before the parser runs (the texts depend on it); listed for --help.
    QCommandLineOption language(QStringLiteral("lang"),
                                QCoreApplication::translate("SimOptions", "消息和帮助的语言：zh（中文）或 en（英文）"),
                                QStringLiteral("zh|en"));
    parser.addOption(language);
    parser.addOptions({secondary, repeater, refuseInternal, secondTry, noBatch, noLog, verbose, speed, seed, link,
                       storeImage, replay, replayStrict, sn, version});
    std::vector<QCommandLineOption> ints;
    for (const IntSwitch &s : kIntSwitches) {
        ints.emplace_back(QString::fromLatin1(s.name), QCoreApplication::translate("SimOptions", s.description),
                          QString::fromLatin1(s.valueName));
        parser.addOption(ints.back());
    }
    result.helpText = parser.helpText();
    result.versionText = QStringLiteral("pylvex-sim %1\n").arg(QLatin1String(kPylvexVersion));
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.help = true;
        return result;
    }
    if (const QString error = lang::FromArguments(arguments).error; !error.isEmpty()) {
        result.error = error;
        return result;
    }
    if (parser.isSet(version)) {
        result.version = true;
        return result;
    }
    SimOptions &o = result.options;
    o.secondary = parser.isSet(secondary);
    o.repeater = parser.isSet(repeater);
    o.refuseInternal = parser.isSet(refuseInternal);
    o.answerSecondTry = parser.isSet(secondTry);
    o.noBatch = parser.isSet(noBatch);
    o.noLog = parser.isSet(noLog);
    o.verbose = parser.isSet(verbose);
    o.storeImage = parser.value(storeImage).toLocal8Bit().toStdString();
    for (std::size_t i = 0; i < ints.size(); ++i) {
        const IntSwitch &s = kIntSwitches[i];
        if (parser.isSet(ints[i]) && !ParseInt(parser.value(ints[i]), s.min, s.max, o.*(s.field))) {
            result.error = QCoreApplication::translate("SimOptions", "--%1 的值无效，有效范围是 %2 至 %3")
                               .arg(s.name)
                               .arg(s.min)
                               .arg(s.max);
            return result;
        }
    }
    const SimClockOffsetRange clock = ClockOffsetRange(SystemClockMs());
    if (o.clockOffsetSec < clock.min || o.clockOffsetSec > clock.max) {
        result.error = QCoreApplication::translate("SimOptions", "--clock-offset 的值无效：板卡时钟只能在 2000 年至 "
                                                                 "2255 年之间，现在的有效范围是 %1 至 %2 秒")
                           .arg(clock.min)
                           .arg(clock.max);
        return result;
    }
    if (parser.isSet(speed)) {
        bool ok = false;
        double v = parser.value(speed).toDouble(&ok);
        if (!ok || !(v > 0) || v > 10000) {
            result.error = QCoreApplication::translate("SimOptions", "--speed 的值无效，应大于 0 且不超过 10000");
            return result;
        }
        o.speed = v;
    }
    if (parser.isSet(seed)) {
        int v = 0;
        if (!ParseInt(parser.value(seed), 0, std::numeric_limits<int>::max(), v)) {
            result.error = QCoreApplication::translate("SimOptions", "--seed 的值无效");
            return result;
        }
        o.seed = static_cast<std::uint32_t>(v);
    }
    if (parser.isSet(replayStrict) && !parser.isSet(replay)) {
        result.error = QCoreApplication::translate("SimOptions", "--replay-strict 需要与 --replay 一起使用");
        return result;
    }
    if (parser.isSet(replay) && !LoadReplay(parser.value(replay), result))
        return result;
    o.replayStrict = parser.isSet(replayStrict);
    if (parser.isSet(sn)) {
        const QString text = parser.value(sn);
        const bool printable = std::all_of(text.begin(), text.end(), [](QChar c) { return c > u' ' && c <= u'~'; });
        if (text.isEmpty() || !printable || static_cast<std::size_t>(text.size()) > kSnFieldBytes) {
            result.error = QCoreApplication::translate("SimOptions",
                                                       "--sn 的值无效：应为 1 至 %1 个可打印的 ASCII 字符（不含空格）")
                               .arg(kSnFieldBytes);
            return result;
        }
        o.sn = text.toStdString();
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        result.error = QCoreApplication::translate("SimOptions", "只能给出一个串口设备");
        return result;
    }
    if (!positional.isEmpty())
        result.device = positional.first();
    result.link = parser.value(link);
    if (!result.link.isEmpty() && !result.device.isEmpty()) {
        result.error = QCoreApplication::translate("SimOptions", "--link 只用于伪终端，不能与串口设备一起给出");
        return result;
    }
    return result;
}

#include "app/startup/commandline.h"

#include "app/dialogs/aboutdialog.h"
#include "app/pylvexapp.h"
#include "files/logfiles.h"
#include "lang/language.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

QString UsageText(const QString &program)
{
    return QCoreApplication::translate("StartupOptions",
                                       "用法：%1 [选项]\n"
                                       "电池管理系统保护板上位机。\n"
                                       "\n"
                                       "选项：\n"
                                       "  --port <设备>   启动时打开该串口设备（如 ttyUSB0 或 /dev/pts/3），\n"
                                       "                  代替上次使用的串口；该设置照常保存。\n"
                                       "  --demo          启动内置的模拟保护板并打开它（无需硬件）。\n"
                                       "  --lang zh|en    界面语言：中文或英文（默认是窗口中选择的语言，\n"
                                       "                  未选择时跟随系统的区域设置）。\n"
                                       "  -h, --help      显示本帮助并退出。\n"
                                       "  -v, --version   显示版本号并退出。\n")
               .arg(program) +
           QCoreApplication::translate("StartupOptions", "\n"
                                                         "日志、定时保存的记录和崩溃文件保存在：\n  %1\n"
                                                         "设置保存在：\n  %2\n")
               .arg(QDir::toNativeSeparators(LogFolder()), SettingsFilePath());
}

} // namespace

StartupOptions ParseStartupOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // The usage text is written out above; these descriptions are not shown.
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("port"), QStringLiteral("device"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("demo"));
    const QCommandLineOption language(QStringLiteral("lang"), QStringLiteral("lang"), QStringLiteral("zh|en"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("version"));
    parser.addOptions({port, demo, language, help, version});

    StartupOptions options;
    const QString program = arguments.isEmpty() ? QStringLiteral("pylvex") : QFileInfo(arguments.first()).fileName();
    auto fail = [&](const QString &why) {
        options.action = StartupOptions::Action::Fail;
        options.text =
            why + QCoreApplication::translate("StartupOptions", "\n请使用 %1 --help 查看用法。\n").arg(program);
        return options;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        options.action = StartupOptions::Action::ShowHelp;
        options.text = UsageText(program);
        return options;
    }
    if (parser.isSet(version)) {
        options.action = StartupOptions::Action::ShowVersion;
        options.text = QStringLiteral("Pylvex %1\n").arg(QLatin1String(kPylvexVersion));
        return options;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QCoreApplication::translate("StartupOptions", "未知参数：%1")
                        .arg(parser.positionalArguments().join(QLatin1Char(' '))));
    if (parser.values(port).size() > 1)
        return fail(QCoreApplication::translate("StartupOptions", "--port 只能指定一次。"));
    options.port = parser.value(port).trimmed();
    if (parser.isSet(port) && options.port.isEmpty())
        return fail(QCoreApplication::translate("StartupOptions", "--port 需要一个串口设备名。"));
    options.demo = parser.isSet(demo);
    if (options.demo && parser.isSet(port))
        return fail(QCoreApplication::translate("StartupOptions", "--demo 与 --port 不能同时使用。"));
    const lang::LanguageArgument chosen = lang::FromArguments(arguments);
    if (!chosen.error.isEmpty())
        return fail(chosen.error);
    if (chosen.value)
        options.language = lang::Code(*chosen.value);
    return options;
}

int ReportStartupOptions(const StartupOptions &options)
{
    const QByteArray text = options.text.toLocal8Bit();
    switch (options.action) {
    case StartupOptions::Action::Run: return 0;
    case StartupOptions::Action::ShowHelp:
    case StartupOptions::Action::ShowVersion: std::fputs(text.constData(), stdout); return 0;
    case StartupOptions::Action::Fail: std::fputs(text.constData(), stderr); return 2;
    }
    return 2;
}

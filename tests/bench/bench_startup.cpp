// Start-up figures of the program, offscreen: time from process start to the
// window's first paint, and resident memory then. Runs the program several
// times (each in its own current and profile folder) and prints min, median
// and max. Usage: bench_startup [runs] [extra program arguments...]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    double wallMs = 0;  // from the start request to the line read here
    double shownMs = 0; // from the process start, as the program sees it
    double rssMb = 0;
    double hwmMb = 0;
};

QString ProgramPath()
{
    QString path = qEnvironmentVariable("PYLVEX_BIN");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../src/pylvex") : path;
}

bool RunOnce(const QStringList &args, int index, Sample &sample)
{
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    env.insert(QStringLiteral("PYLVEX_INSTANCE_NAME"),
               QStringLiteral("pylvex_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(index));
    env.insert(QStringLiteral("PYLVEX_STARTUP_PROBE"), QStringLiteral("quit"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(ProgramPath(), args);
    static const QRegularExpression line(
        QStringLiteral("pylvex-startup shown_ms=(-?\\d+) rss_kb=(-?\\d+) hwm_kb=(-?\\d+)"));
    QByteArray out;
    while (process.waitForReadyRead(15000)) {
        out += process.readAllStandardOutput();
        const auto m = line.match(QString::fromUtf8(out));
        if (m.hasMatch()) {
            sample.wallMs = double(clock.nsecsElapsed()) / 1e6;
            sample.shownMs = m.captured(1).toDouble();
            sample.rssMb = m.captured(2).toDouble() / 1024.0;
            sample.hwmMb = m.captured(3).toDouble() / 1024.0;
            process.waitForFinished(10000);
            return true;
        }
    }
    std::fprintf(stderr, "run %d: no start-up line; stderr:\n%s\n", index, process.readAllStandardError().constData());
    process.kill();
    process.waitForFinished();
    return false;
}

void Print(const char *what, std::vector<double> values, const char *unit)
{
    std::sort(values.begin(), values.end());
    std::printf("%-34s min %8.1f  median %8.1f  max %8.1f %s\n", what, values.front(), values[values.size() / 2],
                values.back(), unit);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 10;
    if (!args.isEmpty() && args.first().toInt() > 0)
        runs = args.takeFirst().toInt();

    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) {
        Sample s;
        if (!RunOnce(args, i, s))
            return 1;
        samples.push_back(s);
    }
    auto column = [&](double Sample::*field) {
        std::vector<double> v;
        for (const Sample &s : samples)
            v.push_back(s.*field);
        return v;
    };
    std::printf("pylvex %s, offscreen, %d runs\n", qPrintable(args.join(QLatin1Char(' '))), runs);
    Print("start request to window shown", column(&Sample::wallMs), "ms");
    Print("process start to window shown", column(&Sample::shownMs), "ms");
    Print("resident memory at window shown", column(&Sample::rssMb), "MB");
    Print("peak resident memory", column(&Sample::hwmMb), "MB");
    return 0;
}

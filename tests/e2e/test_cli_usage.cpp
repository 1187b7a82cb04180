// pylvexctl as a user meets it: the texts of its answers and errors, the
// stored port it falls back on, and tables that line up on a terminal.
#include "e2e/cli_process.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QtTest>

#include <algorithm>
#include <pty.h>
#include <unistd.h>

namespace {
QStringList On(const QString &device, const QStringList &args)
{
    return QStringList{QStringLiteral("--port"), device, QStringLiteral("--interval"), QStringLiteral("10")} + args;
}

// Columns a terminal gives the text: two for a CJK or full-width character.
int Columns(const QString &text)
{
    int n = 0;
    for (char32_t c : text.toUcs4())
        n += ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xFF00 && c <= 0xFF60)) ? 2 : 1;
    return n;
}

// Where the value column starts (in terminal columns) in a line of key, name
// and value, the name known.
int ValueColumn(const QString &line, const QString &label)
{
    int at = line.indexOf(label, 28);
    if (at < 0)
        return -1;
    at += label.size();
    while (at < line.size() && line[at] == u' ')
        ++at;
    return Columns(line.left(at));
}

// The window's profile in folder with the given raw text.
bool WriteProfile(const QString &folder, const QByteArray &text)
{
    QDir().mkpath(folder + QStringLiteral("/Oramek"));
    QFile f(folder + QStringLiteral("/Oramek/Pylvex.ini"));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}
} // namespace

class TestCliUsage : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_profile;
    SimProcess m_board;

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo(BuiltProgram("pylvexctl")).isExecutable());
        QVERIFY(m_board.Start());
    }

    void clockShowsTheBoardTimeAsDateAndTime()
    {
        // The board runs 180 s behind the computer.
        CliResult json = RunCli(On(m_board.Device(), {"clock", "--json"}), m_profile.path());
        QCOMPARE(json.exitCode, 0);
        const QJsonObject o = json.Json().object();
        const QString boardText = o["board_time"].toString();
        const QDateTime board = QDateTime::fromString(boardText, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        QVERIFY2(board.isValid(), qPrintable(boardText));
        const QDateTime computer = QDateTime::fromString(o["computer_time"].toString(), Qt::ISODate);
        QVERIFY(computer.isValid());
        QVERIFY(std::abs(board.secsTo(computer) - 180) <= 3);

        CliResult text = RunCli(On(m_board.Device(), {"clock"}), m_profile.path());
        QCOMPARE(text.exitCode, 0);
        const QString first = QString::fromUtf8(text.out).section(u'\n', 0, 0);
        const QString shown = first.section(QStringLiteral("板卡时间："), 1);
        QVERIFY2(QDateTime::fromString(shown, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid(), qPrintable(first));
    }

    void parameterTablesLineUpOnATerminal()
    {
        // The names as the table shows them, key by key.
        CliResult get = RunCli(On(m_board.Device(), {"params", "get"}), m_profile.path(), 120000);
        QCOMPARE(get.exitCode, 0);
        const QStringList rows = QString::fromUtf8(get.out).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(rows.size() > 40);
        CliResult json = RunCli(On(m_board.Device(), {"params", "get", "--json"}), m_profile.path(), 120000);
        const QStringList keys = json.Json().object().keys();
        QMap<QString, QString> labels;
        QSet<int> valueColumns;
        for (const QString &row : rows) {
            const QString key = row.section(u' ', 0, 0);
            QVERIFY2(keys.contains(key), qPrintable(row));
            // The name: from column 30 up to the run of blanks before the value.
            const QString rest = row.mid(30);
            const QString label = rest.section(QStringLiteral("  "), 0, 0).trimmed();
            labels[key] = label;
            valueColumns << ValueColumn(row, label);
        }
        QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [](const QString &l) { return Columns(l) > l.size(); }));
        QCOMPARE(valueColumns.size(), 1);

        // The help's table: the names start in one column.
        CliResult help = RunCli({"params", "--help"}, m_profile.path());
        QSet<int> nameColumns;
        for (const QString &line : QString::fromUtf8(help.out).split(u'\n')) {
            const QString key = line.trimmed().section(u' ', 0, 0);
            if (!labels.contains(key) || !line.endsWith(labels[key]))
                continue;
            nameColumns << Columns(line.left(line.size() - labels[key].size()));
        }
        QVERIFY(nameColumns.size() == 1);

        // Progress on standard error when it is a terminal.
        int master = -1, slave = -1;
        QCOMPARE(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        QProcess p;
        p.setProcessEnvironment(CliEnvironment(m_profile.path()));
        p.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
        p.start(BuiltProgram("pylvexctl"), On(m_board.Device(), {"params", "get", "idle_wait_s", "key_wake_s"}));
        QVERIFY(p.waitForFinished(30000));
        ::close(slave);
        QByteArray tty;
        char buf[4096];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
            tty.append(buf, static_cast<int>(n));
        ::close(master);
        QCOMPARE(p.exitCode(), 0);
        const QString shown = QString::fromUtf8(tty);
        QVERIFY2(shown.contains(QStringLiteral("读取参数 1/2")) && shown.contains(QStringLiteral("读取参数 2/2")),
                 qPrintable(shown));
        QVERIFY(shown.contains(u'\r'));
        // Not a terminal: nothing but the table.
        QVERIFY(get.err.isEmpty());
    }

    void portTroubleIsNamedAsTheWindowNamesIt()
    {
        CliResult missing = RunCli({"--port", "/dev/pylvex-no-such-port", "status"}, m_profile.path());
        QCOMPARE(missing.exitCode, 3);
        QVERIFY2(missing.err.contains(QStringLiteral("串口 /dev/pylvex-no-such-port 不存在")), qPrintable(missing.err));
        CliResult name = RunCli({"--port", "ttyPYLVEXNONE", "status"}, m_profile.path());
        QCOMPARE(name.exitCode, 3);
        QVERIFY2(name.err.contains(QStringLiteral("串口 ttyPYLVEXNONE 不存在")), qPrintable(name.err));
    }

    void aStoredPortNameWithAControlCharacterIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        // "tty\0S0" would reach /dev/tty once the NUL cuts the path.
        QTest::newRow("NUL") << QByteArray("tty\\0S0") << QStringLiteral("tty\\x00S0");
        QTest::newRow("escape") << QByteArray("tty\\x1bS0") << QStringLiteral("tty\\x1bS0");
    }
    void aStoredPortNameWithAControlCharacterIsIgnored()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        QTemporaryDir folder;
        QVERIFY(WriteProfile(folder.path(), "[IniProfile]\nPortNum=" + stored + "\n"));
        for (const char *command : {"status", "ports"}) {
            CliResult r = RunCli({command}, folder.path());
            QVERIFY2(r.err.contains(QStringLiteral("保存的串口名“%1”不是有效的设备名，已忽略").arg(shown)),
                     qPrintable(r.err));
            // Nothing of the toolkit's own complaints about the name.
            QVERIFY2(!r.err.contains(QStringLiteral("filename")) && !r.err.contains(QStringLiteral("lock file")),
                     qPrintable(r.err));
            // status has no port to use; ports lists what it finds.
            QCOMPARE(r.exitCode, QByteArray(command) == "status" ? 2 : 0);
        }
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestCliUsage test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cli_usage.moc"

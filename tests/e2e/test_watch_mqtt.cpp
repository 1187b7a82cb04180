// pylvexctl watch publishing to a Mosquitto broker of the test's own, with
// pylvex-sim boards on pseudo-terminals: two boards in one watch give their
// discovery configs and states (equal to what status reads), a silent board
// goes offline while the other keeps its period, a restarted broker gets
// the configs and the states again, a wrong password ends watch with 3 and
// publishes nothing, and a board swapped on its port is reported and gets
// its own CSV series and topics.
#include "e2e/cli_process.h"
#include "e2e/mqtt_broker.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringDecoder>
#include <QtTest>

#include <map>
#include <set>

namespace {
QStringList WatchArgs(const QStringList &devices, const QString &url, const QStringList &more)
{
    QStringList args;
    for (const QString &d : devices)
        args << QStringLiteral("--port") << d;
    args << QStringLiteral("--interval") << QStringLiteral("10") << QStringLiteral("watch") << QStringLiteral("--mqtt")
         << url;
    return args + more;
}

// pylvexctl watch as a process that is read while it runs.
class WatchProcess {
public:
    void Start(const QStringList &args, const QString &profile, const QString &mqttPassword = {})
    {
        QProcessEnvironment env = CliEnvironment(profile);
        if (!mqttPassword.isEmpty())
            env.insert(QStringLiteral("PYLVEX_MQTT_PASSWORD"), mqttPassword);
        m_process.setProcessEnvironment(env);
        m_process.start(BuiltProgram("pylvexctl"), args);
        m_process.waitForStarted(5000);
    }
    QString Err()
    {
        m_err += QString::fromUtf8(m_process.readAllStandardError());
        return m_err;
    }
    QByteArray Out()
    {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    bool Running() const { return m_process.state() == QProcess::Running; }
    // SIGINT, then the exit status (-1 when it did not end normally).
    int Stop()
    {
        if (Running())
            ::kill(static_cast<pid_t>(m_process.processId()), SIGINT);
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        Err();
        Out();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    ~WatchProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QProcess &Process() { return m_process; }

private:
    QProcess m_process;
    QString m_err;
    QByteArray m_out;
};

QJsonObject JsonOf(const QByteArray &payload)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    return error.error == QJsonParseError::NoError ? doc.object() : QJsonObject();
}

// The received messages of one topic.
std::vector<MqttReceived> On(const std::vector<MqttReceived> &all, const QString &topic)
{
    std::vector<MqttReceived> out;
    for (const MqttReceived &m : all)
        if (m.topic == topic)
            out.push_back(m);
    return out;
}

int CountPrefix(const std::vector<MqttReceived> &all, const QString &prefix)
{
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [&](const MqttReceived &m) { return m.topic.startsWith(prefix); }));
}

// pylvex-sim serving a pseudo-terminal behind a fixed path (--link), which
// stays when the board program is started again.
class LinkedSim {
public:
    bool Start(const QString &sn, const QString &link)
    {
        m_process.start(BuiltProgram("pylvex-sim"), {"--sn", sn, "--link", link});
        return m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000) &&
               QString::fromLocal8Bit(m_process.readLine()).trimmed() == link;
    }
    ~LinkedSim()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

// The state keys that do not change while a board sits idle at 1x speed.
const char *const kSteadyKeys[] = {
    "sn",  "software_version", "hardware_version", "production_date", "probe_count", "full_capacity_mah", "board",
    "read"};
} // namespace

class TestWatchMqtt : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_profile;
    MqttBroker m_broker; // anonymous clients

private slots:
    void initTestCase()
    {
        if (!MqttBroker::Installed())
            QSKIP("mosquitto is not installed (Debian packages mosquitto and mosquitto-clients, listed in "
                  "scripts/setup.sh)");
        QVERIFY(QFileInfo(BuiltProgram("pylvexctl")).isExecutable());
        QVERIFY(m_broker.Start());
    }

    void twoBoardsInOneWatchPublishTheirStatesAndDiscovery()
    {
        SimProcess a, b;
        QVERIFY(a.Start({"--sn", "PACK-A-0001"}));
        QVERIFY(b.Start({"--sn", "RACK/B+02"}));
        MqttSubscriber sub;
        QVERIFY(sub.Start(m_broker.Port(), {"#"}));
        WatchProcess watch;
        watch.Start(WatchArgs({a.Device(), b.Device()}, m_broker.Url(), {"--every", "0.5", "--mqtt-prefix", "lab/1"}),
                    m_profile.path());
        const QStringList boards = {QStringLiteral("PACK-A-0001"), QStringLiteral("RACK_B_02")};
        std::vector<MqttReceived> got;
        QTRY_VERIFY_WITH_TIMEOUT(
            (std::ranges::move(sub.Take(), std::back_inserter(got)),
             std::ranges::all_of(boards,
                                 [&](const QString &name) { return On(got, "lab/1/" + name + "/state").size() >= 3; })),
            20000);
        QCOMPARE(watch.Stop(), 0);
        // Ended by SIGINT, watch says offline for each board before it goes.
        QTRY_VERIFY_WITH_TIMEOUT((std::ranges::move(sub.Take(), std::back_inserter(got)),
                                  std::ranges::all_of(boards,
                                                      [&](const QString &name) {
                                                          const auto seen = On(got, "lab/1/" + name + "/availability");
                                                          return !seen.empty() && seen.back().payload == "offline";
                                                      })),
                                 5000);

        // A config may come more than once (again after each connection), always with its own id.
        std::map<QString, QString> idOfTopic;
        std::set<QString> ids;
        for (const QString &board : boards) {
            // Discovery: valid JSON, one unique id per entity, units where the value has one.
            int configs = 0, withUnit = 0;
            for (const MqttReceived &m : got) {
                if (!m.topic.startsWith(QStringLiteral("homeassistant/")) || !m.topic.contains("/" + board + "_"))
                    continue;
                const QJsonObject c = JsonOf(m.payload);
                QVERIFY2(!c.isEmpty(), m.payload.constData());
                const QString id = c["unique_id"].toString();
                if (idOfTopic.count(m.topic)) {
                    QCOMPARE(idOfTopic[m.topic], id);
                    continue;
                }
                idOfTopic[m.topic] = id;
                QVERIFY(ids.insert(id).second);
                QCOMPARE(c["state_topic"].toString(), "lab/1/" + board + "/state");
                QCOMPARE(c["availability_topic"].toString(), "lab/1/" + board + "/availability");
                withUnit += c.contains("unit_of_measurement") ? 1 : 0;
                ++configs;
            }
            QVERIFY2(configs >= 30, qPrintable(QString::number(configs)));
            QVERIFY(withUnit >= 20);
            QVERIFY(!On(got, "homeassistant/sensor/" + board + "_cell_1/config").empty());
            QCOMPARE(
                JsonOf(
                    On(got, "homeassistant/sensor/" + board + "_voltage/config").front().payload)["unit_of_measurement"]
                    .toString(),
                QStringLiteral("V"));
            // Availability: online while read, offline after watch ended. An
            // offline may come first: the broker can be reached before the
            // board has answered its first reading.
            const std::vector<MqttReceived> availability = On(got, "lab/1/" + board + "/availability");
            QVERIFY(availability.size() >= 2);
            QVERIFY(std::ranges::any_of(availability.begin(), availability.end() - 1,
                                        [](const MqttReceived &m) { return m.payload == "online"; }));
            QCOMPARE(availability.back().payload, QByteArray("offline"));
        }

        // The states carry what status --json reads from the same board.
        for (auto [device, board] : {std::pair{a.Device(), boards[0]}, std::pair{b.Device(), boards[1]}}) {
            const CliResult status =
                RunCli({"--port", device, "--interval", "10", "status", "--json"}, m_profile.path());
            QCOMPARE(status.exitCode, 0);
            const QJsonObject read = status.Json().object();
            const QJsonObject state = JsonOf(On(got, "lab/1/" + board + "/state").back().payload);
            QCOMPARE(state.keys(), read.keys()); // sorted: the same keys
            for (const char *key : kSteadyKeys)
                QCOMPARE(state[key], read[key]);
            QCOMPARE(state["cells_mv"].toArray().size(), read["cells_mv"].toArray().size());
            QCOMPARE(state["temperatures_c"].toArray().size(), read["temperatures_c"].toArray().size());
            QVERIFY(qAbs(state["soc"].toInt() - read["soc"].toInt()) <= 1);
            QVERIFY(QDateTime::fromString(state["time"].toString(), Qt::ISODate).isValid());
        }
    }

    void aSilentBoardGoesOfflineAndTheOtherKeepsItsPeriod()
    {
        SimProcess steady, silent;
        QVERIFY(steady.Start({"--sn", "STEADY-1"}));
        // Silent late enough that the watch has read it at least once, even
        // on a busy machine: its availability goes online first.
        QVERIFY(silent.Start({"--sn", "SILENT-2", "--silent-after", "7"}));
        MqttSubscriber sub;
        QVERIFY(sub.Start(m_broker.Port(), {"pylvex/#"}));
        WatchProcess watch;
        watch.Start(WatchArgs({steady.Device(), silent.Device()}, m_broker.Url(), {"--every", "0.5"}),
                    m_profile.path());
        std::vector<MqttReceived> got;
        // Offline after it had been online: an offline may come first, when
        // the broker is reached before the board's first reading.
        auto offline = [&] {
            const auto a = On(got, QStringLiteral("pylvex/SILENT-2/availability"));
            return !a.empty() && a.back().payload == "offline" &&
                   std::any_of(a.begin(), a.end() - 1, [](const MqttReceived &m) { return m.payload == "online"; });
        };
        QTRY_VERIFY_WITH_TIMEOUT((std::ranges::move(sub.Take(), std::back_inserter(got)), offline()), 30000);
        const double silentAt = On(got, QStringLiteral("pylvex/SILENT-2/availability")).back().atSec;
        // Four more seconds of the steady board while the other one stays silent.
        QTest::qWait(4000);
        std::ranges::move(sub.Take(), std::back_inserter(got));
        QVERIFY(watch.Running());
        QVERIFY(offline());
        std::vector<double> times;
        for (const MqttReceived &m : On(got, QStringLiteral("pylvex/STEADY-1/state")))
            if (m.atSec >= silentAt - 1)
                times.push_back(m.atSec);
        QVERIFY2(times.size() >= 8, qPrintable(QString::number(times.size())));
        // Each silent round costs the other board two timeouts of a second:
        // a steady board waiting for it would show gaps of two seconds.
        double widest = 0;
        for (std::size_t i = 1; i < times.size(); ++i)
            widest = std::max(widest, times[i] - times[i - 1]);
        QVERIFY2(widest < 1.5, qPrintable(QString::number(widest)));
        QVERIFY(On(got, QStringLiteral("pylvex/STEADY-1/availability")).back().payload == "online");
        QVERIFY(watch.Err().contains(QStringLiteral("板卡无应答")));
        QCOMPARE(watch.Stop(), 0);
    }

    void aRestartedBrokerGetsDiscoveryAndStatesAgain()
    {
        MqttBroker broker;
        QVERIFY(broker.Start());
        SimProcess board;
        QVERIFY(board.Start({"--sn", "RESTART-1"}));
        WatchProcess watch;
        watch.Start(WatchArgs({board.Device()}, broker.Url(), {"--every", "0.3", "--json"}), m_profile.path());
        std::vector<MqttReceived> got;
        {
            MqttSubscriber sub;
            QVERIFY(sub.Start(broker.Port(), {"#"}));
            QTRY_VERIFY_WITH_TIMEOUT(
                (std::ranges::move(sub.Take(), std::back_inserter(got)), On(got, "pylvex/RESTART-1/state").size() >= 2),
                15000);
            broker.Kill();
        }
        QTRY_VERIFY_WITH_TIMEOUT(watch.Err().contains(QStringLiteral("MQTT")), 10000);
        QTest::qWait(2000);
        const int linesBefore = static_cast<int>(watch.Out().count('\n'));
        QVERIFY(watch.Running());
        QVERIFY(broker.Restart());
        got.clear();
        MqttSubscriber sub;
        QVERIFY(sub.Start(broker.Port(), {"#"}));
        QTRY_VERIFY_WITH_TIMEOUT(
            (std::ranges::move(sub.Take(), std::back_inserter(got)),
             On(got, "pylvex/RESTART-1/state").size() >= 2 && CountPrefix(got, "homeassistant/") >= 30),
            15000);
        const auto availability = On(got, "pylvex/RESTART-1/availability");
        QVERIFY(!availability.empty());
        QCOMPARE(availability.back().payload, QByteArray("online"));
        QVERIFY(JsonOf(On(got, "pylvex/RESTART-1/state").back().payload)["sn"] == "RESTART-1");
        // The board was read all along: the lines kept coming while the broker was away.
        QVERIFY(linesBefore >= 6);
        QCOMPARE(watch.Stop(), 0);
    }

    void aRefusedLoginEndsWatchWithThreeAndPublishesNothing_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("wrong") << QStringLiteral("not-the-password") << false;
        QTest::newRow("none") << QString() << false;
        QTest::newRow("right") << QStringLiteral("pack-secret") << true;
    }

    void aRefusedLoginEndsWatchWithThreeAndPublishesNothing()
    {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        MqttBroker broker;
        QVERIFY(broker.Start(QStringLiteral("pack"), QStringLiteral("pack-secret")));
        SimProcess board;
        QVERIFY(board.Start({"--sn", "LOGIN-1"}));
        MqttSubscriber sub;
        QVERIFY(sub.Start(broker.Port(), {"#"}, QStringLiteral("pack"), QStringLiteral("pack-secret")));
        WatchProcess watch;
        watch.Start(WatchArgs({board.Device()}, broker.Url(QStringLiteral("pack")), {"--every", "0.3"}),
                    m_profile.path(), password);
        std::vector<MqttReceived> got;
        if (accepted) {
            QTRY_VERIFY_WITH_TIMEOUT(
                (std::ranges::move(sub.Take(), std::back_inserter(got)), !On(got, "pylvex/LOGIN-1/state").empty()),
                15000);
            QCOMPARE(watch.Stop(), 0);
            return;
        }
        QVERIFY(watch.Process().waitForFinished(20000));
        QCOMPARE(watch.Process().exitStatus(), QProcess::NormalExit);
        QVERIFY2(watch.Process().exitCode() == 3, qPrintable(watch.Err()));
        QVERIFY2(watch.Err().contains(QStringLiteral("拒绝登录")), qPrintable(watch.Err()));
        QTest::qWait(500);
        std::ranges::move(sub.Take(), std::back_inserter(got));
        QCOMPARE(static_cast<int>(got.size()), 0);
    }

    void aSwappedBoardIsReportedAndGetsItsOwnSeries()
    {
        const QString link = m_profile.filePath(QStringLiteral("swap-port"));
        const QString csv = m_profile.filePath(QStringLiteral("swap.csv"));
        MqttSubscriber sub;
        QVERIFY(sub.Start(m_broker.Port(), {"pylvex/#"}));
        auto first = std::make_unique<LinkedSim>();
        QVERIFY(first->Start(QStringLiteral("FIRST-1"), link));
        WatchProcess watch;
        watch.Start(WatchArgs({link}, m_broker.Url(), {"--every", "0.2", "--json", "--csv", csv}), m_profile.path());
        QTRY_VERIFY_WITH_TIMEOUT(watch.Out().count('\n') >= 3, 15000);
        first.reset();
        QTRY_VERIFY_WITH_TIMEOUT(watch.Err().contains(QStringLiteral("串口连接已断开")), 10000);
        LinkedSim second;
        QVERIFY(second.Start(QStringLiteral("SECOND-2"), link));
        QTRY_VERIFY_WITH_TIMEOUT(watch.Err().contains(QStringLiteral("板卡已更换")), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(watch.Out().count("SECOND-2") >= 3, 10000);
        QCOMPARE(watch.Stop(), 0);
        QVERIFY(watch.Err().contains(QStringLiteral("FIRST-1 → SECOND-2")));

        // The JSON stream: the first board's states, the change, the second board's states.
        QStringList order;
        std::map<QString, int> states; // by SN
        for (const QByteArray &line : watch.Out().split('\n')) {
            const QJsonObject o = JsonOf(line);
            if (o["event"] == QStringLiteral("board_changed")) {
                QCOMPARE(o["previous_sn"].toString(), QStringLiteral("FIRST-1"));
                QCOMPARE(o["sn"].toString(), QStringLiteral("SECOND-2"));
                order << QStringLiteral("changed");
            } else if (o.contains("sn")) {
                ++states[o["sn"].toString()];
                if (order.isEmpty() || order.back() != o["sn"].toString())
                    order << o["sn"].toString();
            }
        }
        QCOMPARE(order, QStringList({"FIRST-1", "changed", "SECOND-2"}));

        // Two CSV series, one board each: a row for each of its board's states.
        const QString next = m_profile.filePath(QStringLiteral("swap-SECOND-2.csv"));
        for (auto [path, sn] :
             {std::pair{csv, QStringLiteral("FIRST-1")}, std::pair{next, QStringLiteral("SECOND-2")}}) {
            QFile f(path);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
            const QString text = QStringDecoder("GBK").decode(f.readAll());
            const QStringList rows = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            QVERIFY(rows[0].startsWith(QStringLiteral("时间,SOC")));
            QCOMPARE(rows.size() - 1, states[sn]);
        }

        // Topics: the first board went offline, the second is under its own name.
        const std::vector<MqttReceived> got = sub.Take();
        const auto firstAvailability = On(got, QStringLiteral("pylvex/FIRST-1/availability"));
        QVERIFY(!firstAvailability.empty());
        QCOMPARE(firstAvailability.back().payload, QByteArray("offline"));
        QVERIFY(!On(got, QStringLiteral("pylvex/SECOND-2/state")).empty());
        for (const MqttReceived &m : On(got, QStringLiteral("pylvex/FIRST-1/state")))
            QCOMPARE(JsonOf(m.payload)["sn"].toString(), QStringLiteral("FIRST-1"));
    }
};

QTEST_GUILESS_MAIN(TestWatchMqtt)
#include "test_watch_mqtt.moc"

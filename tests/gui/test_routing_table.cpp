// The routing of answers, as the window's pages register it, against the
// receive table: for every class and code, the pages that take the answer in
// their order, what each does with it (a value of a kind and length, a
// temperature, an acknowledgement, versions, or the page's own handling) and
// the row it shows it on. Codes the table does not list reach no page.
#include "app/framework/pagebase.h"
#include "app/framework/pageregistry.h"
#include "app/mainwindow.h"
#include "app/pylvexapp.h"
#include "link/portdiscovery.h"

#include "gui/widget_test_main.h"
#include <QAbstractButton>
#include <QtTest>

#include <map>
#include <vector>

namespace {
enum class Does { Value, Temp, Ack, Version, Own };

struct Taker {
    const char *page;
    Does does;
    const char *row = nullptr; // the label of the row shown on, where the answer has one
    VARTYPE vt = 0;
    int need = 0;
};

struct Entry {
    std::uint8_t cls;
    std::vector<std::uint8_t> codes;
    std::vector<Taker> takers;
};

constexpr const char *kLive = "LiveStatusPage";
constexpr const char *kControl = "CustomerControlPage";
constexpr const char *kRepeater = "RepeaterPage";
constexpr const char *kDebug = "InternalDebugPage";
constexpr const char *kSoc = "SocLearningPage";
constexpr const char *kWake = "WakeThresholdPage";
constexpr const char *kAlarm = "AlarmProtectionPage";
constexpr const char *kRecords = "BatteryRecordPage";
constexpr const char *kLog = "BatteryLogPage";

Taker Value(const char *page, VARTYPE vt, int need, const char *row)
{
    return {page, Does::Value, row, vt, need};
}
Taker Temp(const char *page, const char *row)
{
    return {page, Does::Temp, row, VT_I2, 3};
}
Taker Ack(const char *page, const char *row)
{
    return {page, Does::Ack, row};
}
Taker Version(const char *page, const char *row)
{
    return {page, Does::Version, row, 0, 7};
}
Taker Own(const char *page, const char *row = nullptr)
{
    return {page, Does::Own, row};
}

// clang-format off
const std::vector<Entry> &ReceiveTable()
{
    static const std::vector<Entry> table = {
        {0x81, {0x81}, {Own(kRepeater, "在线升级：")}},
        {0x81, {0x82}, {Own(kRepeater, "支持通讯方式：")}},
        {0x81, {0x83}, {Version(kRepeater, "软硬件版本号：")}},

        {0x82, {0x81}, {Own(kDebug, "保护板在线升级：")}},
        {0x82, {0x82, 0xDD}, {Own(kDebug, "读取寄存器：")}},
        {0x82, {0x83}, {Version(kDebug, "软硬件版本：")}},
        {0x82, {0x84, 0xAC}, {Own(kSoc)}},
        {0x82, {0x85}, {Own(kSoc)}},
        {0x82, {0x86, 0x89}, {Own(kDebug, "放电内阻：")}},
        {0x82, {0x87, 0x90}, {Own(kDebug, "充电内阻：")}},
        {0x82, {0x88, 0x91}, {Own(kDebug, "开路电压：")}},
        {0x82, {0x8A, 0x8B}, {Value(kAlarm, VT_UI2, 3, "单节过放恢复：")}},
        {0x82, {0x8C, 0x8D}, {Temp(kAlarm, "充电高温恢复：")}},
        {0x82, {0x8E, 0x8F}, {Temp(kAlarm, "放电高温恢复：")}},
        {0x82, {0x92, 0x93}, {Value(kWake, VT_UI2, 3, "无操作等待时间：")}},
        {0x82, {0x94, 0x95}, {Value(kWake, VT_UI2, 3, "耗电更新时间：")}},
        {0x82, {0x96, 0x97}, {Value(kWake, VT_UI2, 3, "待机定时唤醒检测：")}},
        {0x82, {0x98, 0x99}, {Value(kWake, VT_UI2, 3, "按键唤醒时间：")}},
        {0x82, {0x9A, 0x9B}, {Temp(kAlarm, "充电低温恢复：")}},
        {0x82, {0x9C, 0x9D}, {Temp(kAlarm, "放电低温恢复：")}},
        {0x82, {0x9E, 0x9F}, {Temp(kWake, "放电MOS高温恢复：")}},
        {0x82, {0xA0, 0xA1}, {Value(kWake, VT_UI2, 3, "预放电电容充电：")}},
        {0x82, {0xA2, 0xA3}, {Value(kWake, VT_UI2, 3, "进入待机模式电压：")}},
        {0x82, {0xA4, 0xA5}, {Own(kWake, "充放电电流上下阀值：")}},
        {0x82, {0xA6, 0xA7}, {Temp(kWake, "充电MOS高温报警：")}},
        {0x82, {0xA8, 0xA9}, {Temp(kWake, "放电MOS高温报警：")}},
        {0x82, {0xAA, 0xAB}, {Temp(kWake, "充电MOS高温恢复：")}},
        {0x82, {0xB0, 0xB1}, {Temp(kAlarm, "放电高温报警：")}},
        {0x82, {0xB2, 0xB3}, {Temp(kAlarm, "放电低温报警：")}},
        {0x82, {0xB4, 0xB5}, {Temp(kAlarm, "充电高温报警：")}},
        {0x82, {0xB6, 0xB7}, {Temp(kAlarm, "充电低温报警：")}},
        {0x82, {0xB8, 0xB9}, {Value(kAlarm, VT_INT, 5, "放电过流报警：")}},
        {0x82, {0xBA, 0xBB}, {Own(kWake, "短路保护：")}},
        {0x82, {0xBC, 0xBD}, {Own(kWake, "预放电短路保护：")}},
        {0x82, {0xBE, 0xBF}, {Value(kWake, VT_UI1, 2, "温度探头个数：")}},
        {0x82, {0xC0, 0xC1}, {Value(kAlarm, VT_INT, 5, "充电过流报警：")}},
        {0x82, {0xC2, 0xC3}, {Temp(kWake, "充电MOS高温保护：")}},
        {0x82, {0xC4, 0xC5}, {Temp(kWake, "放电MOS高温保护：")}},
        {0x82, {0xC6, 0xC7}, {Temp(kAlarm, "放电高温保护：")}},
        {0x82, {0xC8, 0xC9}, {Temp(kAlarm, "放电低温保护：")}},
        {0x82, {0xCA, 0xCB}, {Own(kWake, "充放电循环次数检测门限：")}},
        {0x82, {0xCC, 0xCD}, {Value(kWake, VT_UI2, 3, "均衡开启电压值：")}},
        {0x82, {0xCE, 0xCF}, {Own(kWake, "均衡开启压差值：")}},
        {0x82, {0xD0, 0xD1}, {Temp(kAlarm, "充电高温保护：")}},
        {0x82, {0xD2, 0xD3}, {Temp(kAlarm, "充电低温保护：")}},
        {0x82, {0xD4, 0xD5}, {Value(kAlarm, VT_INT, 5, "放电过流保护：")}},
        {0x82, {0xD6, 0xD7}, {Value(kAlarm, VT_INT, 5, "充电过流保护：")}},
        {0x82, {0xD8, 0xD9}, {Value(kAlarm, VT_I2, 3, "单节过充报警：")}},
        {0x82, {0xDA}, {Own(kWake, "唤醒方式：")}},
        {0x82, {0xDB}, {Own(kDebug, "SN 码：")}},
        {0x82, {0xDC}, {Own(kControl, "退出内部调试模式：")}}, // acknowledged with the time of day
        {0x82, {0xDE, 0xDF}, {Own(kDebug, "串数,并数,容量：")}},
        {0x82, {0xE0, 0xE1}, {Value(kAlarm, VT_I2, 3, "单节过放报警：")}},
        {0x82, {0xE2, 0xE3}, {Value(kAlarm, VT_I2, 3, "单节过充保护：")}},
        {0x82, {0xE4, 0xE5}, {Value(kAlarm, VT_I2, 3, "单节过放保护：")}},
        {0x82, {0xE6, 0xE7}, {Value(kAlarm, VT_UINT, 5, "总电压过充报警：")}},
        {0x82, {0xE8, 0xE9}, {Value(kAlarm, VT_UINT, 5, "总电压过放报警：")}},
        {0x82, {0xEA}, {Own(kDebug, "生产日期：")}},
        {0x82, {0xEB, 0xEC}, {Value(kDebug, VT_I2, 3, "电芯实测容量 (mAH)：")}},
        {0x82, {0xF0, 0xF1}, {Value(kAlarm, VT_UINT, 5, "总电压过充保护：")}},
        {0x82, {0xF2, 0xF3}, {Value(kAlarm, VT_UINT, 5, "总电压过放保护：")}},
        {0x82, {0xF4, 0xF5}, {Value(kAlarm, VT_UINT, 5, "总电压过充恢复：")}},
        {0x82, {0xF6, 0xF7}, {Value(kAlarm, VT_UINT, 5, "总电压过放恢复：")}},
        {0x82, {0xF8, 0xF9}, {Value(kAlarm, VT_UI2, 3, "单节过充恢复：")}},

        {0x83, {0x81}, {Own(kLive), Own(kDebug, "SN 码：")}},
        {0x83, {0x82, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xE6}, {Own(kLive)}},
        {0x83, {0x83}, {Own(kControl, "充电履历：")}},
        {0x83, {0x84}, {Own(kControl, "放电履历：")}},
        {0x83, {0x90}, {Ack(kControl, "进入仓储模式：")}},
        {0x83, {0x92}, {Value(kControl, VT_UINT, 5, "电压校准：")}},
        {0x83, {0x93}, {Own(kControl, "电流校准 (mA)：")}},
        {0x83, {0x94}, {Own(kLive), Own(kControl, "开关充电MOS管："), Own(kControl, "开关放电MOS管："),
                        Own(kControl, "开关预放电MOS管：")}},
        {0x83, {0x95}, {Own(kControl, "开关充电MOS管：")}},
        {0x83, {0x96}, {Own(kControl, "开关放电MOS管：")}},
        {0x83, {0x97}, {Own(kControl, "开关预放电MOS管：")}},
        {0x83, {0xA0}, {Own(kLive), Own(kDebug, "生产日期：")}},
        {0x83, {0xA1}, {Own(kControl, "进入内部调试模式：")}}, // the same, then the page asked for opens
        {0x83, {0xA5}, {Own(kControl, "当前时间："), Own(kLog)}},
        {0x83, {0xA6}, {Own(kControl), Own(kDebug, "保护板在线升级：")}},
        {0x83, {0xA7}, {Own(kControl, "温度校准：")}},
        {0x83, {0xA8, 0xA9}, {Value(kControl, VT_UI2, 3, "双电并入压差：")}},
        {0x83, {0xB0}, {Own(kControl, "电池工作模式：")}},
        {0x83, {0xD0, 0xD1}, {Own(kLog)}},
        {0x83, {0xE5}, {Own(kControl)}},

        {0x85, {0x81}, {Own(kRecords)}},
        {0x85, {0x82}, {Value(kWake, VT_UI1, 2, "记录清除：")}},
        {0x85, {0x83}, {Own(kControl, "均衡开启：")}},
        {0x85, {0x84}, {Own(kControl, "BMS状态：")}},
    };
    return table;
}
// clang-format on

Does WhatItDoes(RouteOp op)
{
    switch (op) {
    case OP_VALUE: return Does::Value;
    case OP_TEMP: return Does::Temp;
    case OP_ACK: return Does::Ack;
    case OP_VERSION: return Does::Version;
    default: return Does::Own;
    }
}

QString Where(std::uint8_t cls, std::uint8_t code, std::size_t i)
{
    return QString::asprintf("%02X %02X, receiver %zu", cls, code, i + 1);
}
} // namespace

class TestRoutingTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SetPortListSource([] { return QStringList(); });
    }

    void everyAnswerReachesThePagesOfTheTable()
    {
        MainWindow dlg;
        const PageRegistry &pages = dlg.Pages();
        std::map<int, bool> listed;
        for (const Entry &entry : ReceiveTable()) {
            for (std::uint8_t request : entry.codes) {
                const std::uint8_t code = request | 0x80;
                listed[entry.cls * 256 + code] = true;
                std::span<const RxRoute> routes = pages.RoutesFor(entry.cls, code);
                QVERIFY2(routes.size() == entry.takers.size(),
                         qPrintable(QString::asprintf("%02X %02X: %zu receivers, the table has %zu", entry.cls, code,
                                                      routes.size(), entry.takers.size())));
                for (std::size_t i = 0; i < routes.size(); ++i) {
                    const RxRoute &r = routes[i];
                    const Taker &t = entry.takers[i];
                    PageBase *page = pages.Page(r.page);
                    QVERIFY2(page, qPrintable(Where(entry.cls, code, i)));
                    QCOMPARE(QString::fromLatin1(page->metaObject()->className()), QString::fromLatin1(t.page));
                    QVERIFY2(WhatItDoes(r.op) == t.does, qPrintable(Where(entry.cls, code, i)));
                    if (t.does == Does::Value) {
                        QCOMPARE(r.vt, t.vt);
                        QCOMPARE(int(r.need), t.need);
                    }
                    if (t.row) {
                        auto *box = page->Item<QAbstractButton>(r.chk);
                        QVERIFY2(box, qPrintable(Where(entry.cls, code, i)));
                        QCOMPARE(box->text().trimmed(), QString::fromUtf8(t.row));
                    }
                }
            }
        }
        // Nothing else is routed.
        for (const RxRoute &r : pages.AllRoutes())
            QVERIFY2(listed.count(r.cls * 256 + r.code),
                     qPrintable(QString::asprintf("%02X %02X is routed but not in the table", r.cls, r.code)));
        for (std::uint8_t cls : {0x81, 0x82, 0x83, 0x85})
            for (int code : {0x80, 0xAD, 0xAE, 0xAF, 0xED, 0xEE, 0xEF, 0xFA, 0xFF})
                if (!listed.count(cls * 256 + code))
                    QVERIFY(pages.RoutesFor(cls, static_cast<std::uint8_t>(code)).empty());
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestRoutingTable>(argc, argv);
}

#include "test_routing_table.moc"

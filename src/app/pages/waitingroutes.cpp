#include "app/pages/waitingroutes.h"

#include <QCoreApplication>

#include <array>
#include <vector>

namespace {
const char *const kLinkNames[] = {QT_TRANSLATE_NOOP("BitNames", "串口"), "CAN", "IIC",
                                  QT_TRANSLATE_NOOP("BitNames", "一线通"), "485"};
const BitNames kLinkBits{kLinkNames, 5, QT_TRANSLATE_NOOP("BitNames", "，")};
const char *const kModeNames[] = {QT_TRANSLATE_NOOP("BitNames", "单电"), QT_TRANSLATE_NOOP("BitNames", "主电"),
                                  QT_TRANSLATE_NOOP("BitNames", "副电")};
const BitNames kModeBits{kModeNames, 3, ", "};

// "中继器信息"
const RxRoute kRepeaterRoutes[] = {
    {0x81, 0x81, PAGE_ONE, OP_PAGE_IF_ACTIVE, 0, 0, 1382, 1383},
    {0x81, 0x82, PAGE_ONE, OP_VALUE_BITS, 2, VT_UI1, 1375, 0, nullptr, &kLinkBits},
    {0x81, 0x83, PAGE_ONE, OP_VERSION, 7, 0, 1372, 1373},
};

// "内部调试"
const RxRoute kDebugRoutes[] = {
    RowRoute(0x82, 0x81, PAGE_FOR, 1378),
    RowRoute(0x82, 0x82, PAGE_FOR, 1186),
    {0x82, 0x83, PAGE_FOR, OP_VERSION, 7, 0, 1308, 1311},
    RowRoute(0x82, 0x86, PAGE_FOR, 1253),
    RowRoute(0x82, 0x87, PAGE_FOR, 1064),
    {0x82, 0x88, PAGE_FOR, OP_OCV, 29, 0, 1279},
    RowRoute(0x82, 0x89, PAGE_FOR, 1253),
    RowRoute(0x82, 0x90, PAGE_FOR, 1064),
    {0x82, 0x91, PAGE_FOR, OP_OCV, 29, 0, 1279},
    RowRoute(0x82, 0xDB, PAGE_FOR, 1319),
    RowRoute(0x82, 0xDD, PAGE_FOR, 1186),
    RowRoute(0x82, 0xDE, PAGE_FOR, 1154),
    RowRoute(0x82, 0xDF, PAGE_FOR, 1154),
    RowRoute(0x82, 0xEA, PAGE_FOR, 1313),
    ValueRoute(0x82, 0xEB, PAGE_FOR, VT_I2, 3, 1321),
    ValueRoute(0x82, 0xEC, PAGE_FOR, VT_I2, 3, 1321),
    RowRoute(0x83, 0x81, PAGE_FOR, 1319, true),
    RowRoute(0x83, 0xA0, PAGE_FOR, 1313, true),
    SkipWhenMissing({0x83, 0xA6, PAGE_FOR, OP_PAGE_IF_ACTIVE, 0, 0, 1378}),
};

// "调试SOC学习"
const RxRoute kSocRoutes[] = {
    PageRoute(0x82, 0x84, PAGE_FIV, TAG_SOC_CONFIG),
    PageRoute(0x82, 0x85, PAGE_FIV, TAG_SOC_LEARNING),
    PageRoute(0x82, 0xAC, PAGE_FIV, TAG_SOC_CONFIG),
};

// "客户使用-2"
const RxRoute kCustomerRoutes[] = {
    {0x82, 0xDC, PAGE_ELE, OP_ACK_TIME, 0, 0, 1168, 1166, "，成功退出"},
    RowRoute(0x83, 0x83, PAGE_ELE, 1016, true),
    RowRoute(0x83, 0x84, PAGE_ELE, 1116, true),
    SkipWhenMissing({0x83, 0x90, PAGE_ELE, OP_ACK, 0, 0, 1015, 1014}),
    SkipWhenMissing(ValueRoute(0x83, 0x92, PAGE_ELE, VT_UINT, 5, 1072)),
    SkipWhenMissing({0x83, 0x93, PAGE_ELE, OP_CURRENT_CAL, 0, 0, 1056, 1441}),
    RowRoute(0x83, 0x94, PAGE_ELE, 1129, true),
    RowRoute(0x83, 0x94, PAGE_ELE, 1135, true),
    RowRoute(0x83, 0x94, PAGE_ELE, 1139, true),
    RowRoute(0x83, 0x95, PAGE_ELE, 1129, true),
    RowRoute(0x83, 0x96, PAGE_ELE, 1135, true),
    RowRoute(0x83, 0x97, PAGE_ELE, 1139, true),
    SkipWhenMissing({0x83, 0xA1, PAGE_ELE, OP_ACK_UNLOCK, 0, 0, 1127, 1125, "，成功进入"}),
    RowRoute(0x83, 0xA5, PAGE_ELE, 1396, true),
    PageRoute(0x83, 0xA6, PAGE_ELE, TAG_UPGRADE_PACKET, true),
    RowRoute(0x83, 0xA7, PAGE_ELE, 1410, true),
    SkipWhenMissing(ValueRoute(0x83, 0xA8, PAGE_ELE, VT_UI2, 3, 1416)),
    SkipWhenMissing(ValueRoute(0x83, 0xA9, PAGE_ELE, VT_UI2, 3, 1416)),
    SkipWhenMissing({0x83, 0xB0, PAGE_ELE, OP_VALUE_BITS, 2, VT_UI1, 1422, 0, nullptr, &kModeBits}),
    {0x83, 0xE5, PAGE_ELE, OP_EXEC_RESULT, 0, 0, 0, 0, nullptr, nullptr, true},
    {0x85, 0x83, PAGE_ELE, OP_BALANCE, 4, 0, 1479, 1481},
    {0x85, 0x84, PAGE_ELE, OP_BMS_STATE, 2, VT_UI1, 1483},
};

// "电池记录"
const RxRoute kRecordRoutes[] = {
    PageRoute(0x85, 0x81, PAGE_RECORD, TAG_BATTERY_RECORDS),
};

// "电池日志"
const RxRoute kCellLogRoutes[] = {
    PageRoute(0x83, 0xA5, PAGE_CELLLOG, TAG_BOARD_TIME, true),
    PageRoute(0x83, 0xD0, PAGE_CELLLOG, TAG_BATTERY_LOG, true),
    PageRoute(0x83, 0xD1, PAGE_CELLLOG, TAG_BATTERY_LOG, true),
};

const std::vector<RxRoute> &All()
{
    static const std::vector<RxRoute> all = [] {
        std::vector<RxRoute> v;
        for (std::span<const RxRoute> block :
             {std::span<const RxRoute>(kRepeaterRoutes), std::span<const RxRoute>(kDebugRoutes),
              std::span<const RxRoute>(kSocRoutes), std::span<const RxRoute>(kCustomerRoutes),
              std::span<const RxRoute>(kRecordRoutes), std::span<const RxRoute>(kCellLogRoutes)})
            v.insert(v.end(), block.begin(), block.end());
        return v;
    }();
    return all;
}
} // namespace

std::span<const RxRoute> WaitingRoutes()
{
    return All();
}

#include "app/framework/rxroutes.h"

#include "app/framework/cfgpagebase.h"

#include <array>

namespace {
const char *const kLinkNames[] = {"串口", "CAN", "IIC", "一线通", "485"};
const BitNames kLinkBits{kLinkNames, 5, "，"};
const char *const kModeNames[] = {"单电", "主电", "副电"};
const BitNames kModeBits{kModeNames, 3, ", "};

constexpr RxRoute Value(std::uint8_t cls, std::uint8_t code, PageKind page, VARTYPE vt, std::uint8_t need, int chk)
{
    return RxRoute{cls, code, page, OP_VALUE, need, vt, chk};
}
constexpr RxRoute Temp(std::uint8_t code, PageKind page, int chk)
{
    return RxRoute{0x82, code, page, OP_TEMP, 3, VT_I2, chk};
}
constexpr RxRoute Decoder(std::uint8_t cls, std::uint8_t code, PageKind page, int chk, bool skip = false)
{
    return RxRoute{cls, code, page, OP_DECODER, 0, 0, chk, 0, nullptr, nullptr, skip};
}
constexpr RxRoute Call(std::uint8_t cls, std::uint8_t code, PageKind page, RouteOp op, bool skip = false)
{
    return RxRoute{cls, code, page, op, 0, 0, 0, 0, nullptr, nullptr, skip};
}
// Class 0x83 rows of these pages are passed over while the page does not exist.
constexpr RxRoute Ele83(RxRoute r)
{
    r.skipWhenMissing = true;
    return r;
}

const RxRoute kRoutes[] = {
    // ---- class 0x81: repeater information
    {0x81, 0x81, PAGE_ONE, OP_REPEATER_UPGRADE, 0, 0, 1382, 1383},
    {0x81, 0x82, PAGE_ONE, OP_VALUE_BITS, 2, VT_UI1, 1375, 0, nullptr, &kLinkBits},
    {0x81, 0x83, PAGE_ONE, OP_VERSION, 7, 0, 1372, 1373},

    // ---- class 0x82: parameter pages
    Decoder(0x82, 0x81, PAGE_FOR, 1378),
    Decoder(0x82, 0x82, PAGE_FOR, 1186),
    {0x82, 0x83, PAGE_FOR, OP_VERSION, 7, 0, 1308, 1311},
    Call(0x82, 0x84, PAGE_FIV, OP_SOC_CONFIG),
    Call(0x82, 0x85, PAGE_FIV, OP_SOC_LEARNING),
    Decoder(0x82, 0x86, PAGE_FOR, 1253),
    Decoder(0x82, 0x87, PAGE_FOR, 1064),
    {0x82, 0x88, PAGE_FOR, OP_OCV, 29, 0, 1279},
    Decoder(0x82, 0x89, PAGE_FOR, 1253),
    Value(0x82, 0x8A, PAGE_THR, VT_UI2, 3, 1195),
    Value(0x82, 0x8B, PAGE_THR, VT_UI2, 3, 1195),
    Temp(0x8C, PAGE_THR, 1050),
    Temp(0x8D, PAGE_THR, 1050),
    Temp(0x8E, PAGE_THR, 1245),
    Temp(0x8F, PAGE_THR, 1245),
    Decoder(0x82, 0x90, PAGE_FOR, 1064),
    {0x82, 0x91, PAGE_FOR, OP_OCV, 29, 0, 1279},
    Value(0x82, 0x92, PAGE_TWO, VT_UI2, 3, 1341),
    Value(0x82, 0x93, PAGE_TWO, VT_UI2, 3, 1341),
    Value(0x82, 0x94, PAGE_TWO, VT_UI2, 3, 1264),
    Value(0x82, 0x95, PAGE_TWO, VT_UI2, 3, 1264),
    Value(0x82, 0x96, PAGE_TWO, VT_UI2, 3, 1198),
    Value(0x82, 0x97, PAGE_TWO, VT_UI2, 3, 1198),
    Value(0x82, 0x98, PAGE_TWO, VT_UI2, 3, 1002),
    Value(0x82, 0x99, PAGE_TWO, VT_UI2, 3, 1002),
    Temp(0x9A, PAGE_THR, 1035),
    Temp(0x9B, PAGE_THR, 1035),
    Temp(0x9C, PAGE_THR, 1230),
    Temp(0x9D, PAGE_THR, 1230),
    Temp(0x9E, PAGE_TWO, 1261),
    Temp(0x9F, PAGE_TWO, 1261),
    Value(0x82, 0xA0, PAGE_TWO, VT_UI2, 3, 1347),
    Value(0x82, 0xA1, PAGE_TWO, VT_UI2, 3, 1347),
    Value(0x82, 0xA2, PAGE_TWO, VT_UI2, 3, 1191),
    Value(0x82, 0xA3, PAGE_TWO, VT_UI2, 3, 1191),
    Decoder(0x82, 0xA4, PAGE_TWO, 1217),
    Decoder(0x82, 0xA5, PAGE_TWO, 1217),
    Temp(0xA6, PAGE_TWO, 1061),
    Temp(0xA7, PAGE_TWO, 1061),
    Temp(0xA8, PAGE_TWO, 1252),
    Temp(0xA9, PAGE_TWO, 1252),
    Temp(0xAA, PAGE_TWO, 1259),
    Temp(0xAB, PAGE_TWO, 1259),
    Call(0x82, 0xAC, PAGE_FIV, OP_SOC_CONFIG),
    Temp(0xB0, PAGE_THR, 1242),
    Temp(0xB1, PAGE_THR, 1242),
    Temp(0xB2, PAGE_THR, 1227),
    Temp(0xB3, PAGE_THR, 1227),
    Temp(0xB4, PAGE_THR, 1046),
    Temp(0xB5, PAGE_THR, 1046),
    Temp(0xB6, PAGE_THR, 1032),
    Temp(0xB7, PAGE_THR, 1032),
    Value(0x82, 0xB8, PAGE_THR, VT_INT, 5, 1236),
    Value(0x82, 0xB9, PAGE_THR, VT_INT, 5, 1236),
    Decoder(0x82, 0xBA, PAGE_TWO, 1215),
    Decoder(0x82, 0xBB, PAGE_TWO, 1215),
    Decoder(0x82, 0xBC, PAGE_TWO, 1350),
    Decoder(0x82, 0xBD, PAGE_TWO, 1350),
    Value(0x82, 0xBE, PAGE_TWO, VT_UI1, 2, 1343),
    Value(0x82, 0xBF, PAGE_TWO, VT_UI1, 2, 1343),
    Value(0x82, 0xC0, PAGE_THR, VT_INT, 5, 1040),
    Value(0x82, 0xC1, PAGE_THR, VT_INT, 5, 1040),
    Temp(0xC2, PAGE_TWO, 1057),
    Temp(0xC3, PAGE_TWO, 1057),
    Temp(0xC4, PAGE_TWO, 1247),
    Temp(0xC5, PAGE_TWO, 1247),
    Temp(0xC6, PAGE_THR, 1239),
    Temp(0xC7, PAGE_THR, 1239),
    Temp(0xC8, PAGE_THR, 1224),
    Temp(0xC9, PAGE_THR, 1224),
    Decoder(0x82, 0xCA, PAGE_TWO, 1119),
    Decoder(0x82, 0xCB, PAGE_TWO, 1119),
    Value(0x82, 0xCC, PAGE_TWO, VT_UI2, 3, 1273),
    Value(0x82, 0xCD, PAGE_TWO, VT_UI2, 3, 1273),
    Decoder(0x82, 0xCE, PAGE_TWO, 1275),
    Decoder(0x82, 0xCF, PAGE_TWO, 1275),
    Temp(0xD0, PAGE_THR, 1043),
    Temp(0xD1, PAGE_THR, 1043),
    Temp(0xD2, PAGE_THR, 1029),
    Temp(0xD3, PAGE_THR, 1029),
    Value(0x82, 0xD4, PAGE_THR, VT_INT, 5, 1233),
    Value(0x82, 0xD5, PAGE_THR, VT_INT, 5, 1233),
    Value(0x82, 0xD6, PAGE_THR, VT_INT, 5, 1037),
    Value(0x82, 0xD7, PAGE_THR, VT_INT, 5, 1037),
    Value(0x82, 0xD8, PAGE_THR, VT_I2, 3, 1206),
    Value(0x82, 0xD9, PAGE_THR, VT_I2, 3, 1206),
    {0x82, 0xDA, PAGE_TWO, OP_WAKE, 3, 0, 1268},
    Decoder(0x82, 0xDB, PAGE_FOR, 1319),
    {0x82, 0xDC, PAGE_ELE, OP_ACK_TIME, 0, 0, 1168, 1166, "，成功退出"},
    Decoder(0x82, 0xDD, PAGE_FOR, 1186),
    Decoder(0x82, 0xDE, PAGE_FOR, 1154),
    Decoder(0x82, 0xDF, PAGE_FOR, 1154),
    Value(0x82, 0xE0, PAGE_THR, VT_I2, 3, 1212),
    Value(0x82, 0xE1, PAGE_THR, VT_I2, 3, 1212),
    Value(0x82, 0xE2, PAGE_THR, VT_I2, 3, 1201),
    Value(0x82, 0xE3, PAGE_THR, VT_I2, 3, 1201),
    Value(0x82, 0xE4, PAGE_THR, VT_I2, 3, 1209),
    Value(0x82, 0xE5, PAGE_THR, VT_I2, 3, 1209),
    Value(0x82, 0xE6, PAGE_THR, VT_UINT, 5, 1355),
    Value(0x82, 0xE7, PAGE_THR, VT_UINT, 5, 1355),
    Value(0x82, 0xE8, PAGE_THR, VT_UINT, 5, 1365),
    Value(0x82, 0xE9, PAGE_THR, VT_UINT, 5, 1365),
    Decoder(0x82, 0xEA, PAGE_FOR, 1313),
    Value(0x82, 0xEB, PAGE_FOR, VT_I2, 3, 1321),
    Value(0x82, 0xEC, PAGE_FOR, VT_I2, 3, 1321),
    Value(0x82, 0xF0, PAGE_THR, VT_UINT, 5, 1352),
    Value(0x82, 0xF1, PAGE_THR, VT_UINT, 5, 1352),
    Value(0x82, 0xF2, PAGE_THR, VT_UINT, 5, 1361),
    Value(0x82, 0xF3, PAGE_THR, VT_UINT, 5, 1361),
    Value(0x82, 0xF4, PAGE_THR, VT_UINT, 5, 1360),
    Value(0x82, 0xF5, PAGE_THR, VT_UINT, 5, 1360),
    Value(0x82, 0xF6, PAGE_THR, VT_UINT, 5, 1369),
    Value(0x82, 0xF7, PAGE_THR, VT_UINT, 5, 1369),
    Value(0x82, 0xF8, PAGE_THR, VT_UI2, 3, 1192),
    Value(0x82, 0xF9, PAGE_THR, VT_UI2, 3, 1192),

    // ---- class 0x83: status and control
    Call(0x83, 0x81, PAGE_TEN, OP_STATUS),
    Decoder(0x83, 0x81, PAGE_FOR, 1319, true),
    Call(0x83, 0x82, PAGE_TEN, OP_STATUS),
    Decoder(0x83, 0x83, PAGE_ELE, 1016, true),
    Decoder(0x83, 0x84, PAGE_ELE, 1116, true),
    Call(0x83, 0x85, PAGE_TEN, OP_STATUS),
    Call(0x83, 0x86, PAGE_TEN, OP_STATUS),
    Call(0x83, 0x87, PAGE_TEN, OP_STATUS),
    Call(0x83, 0x88, PAGE_TEN, OP_STATUS),
    Call(0x83, 0x89, PAGE_TEN, OP_STATUS),
    Ele83({0x83, 0x90, PAGE_ELE, OP_ACK, 0, 0, 1015, 1014}),
    Call(0x83, 0x91, PAGE_TEN, OP_STATUS),
    Ele83(Value(0x83, 0x92, PAGE_ELE, VT_UINT, 5, 1072)),
    Ele83({0x83, 0x93, PAGE_ELE, OP_CURRENT_CAL, 0, 0, 1056, 1441}),
    Call(0x83, 0x94, PAGE_TEN, OP_STATUS),
    Decoder(0x83, 0x94, PAGE_ELE, 1129, true),
    Decoder(0x83, 0x94, PAGE_ELE, 1135, true),
    Decoder(0x83, 0x94, PAGE_ELE, 1139, true),
    Decoder(0x83, 0x95, PAGE_ELE, 1129, true),
    Decoder(0x83, 0x96, PAGE_ELE, 1135, true),
    Decoder(0x83, 0x97, PAGE_ELE, 1139, true),
    Call(0x83, 0x98, PAGE_TEN, OP_STATUS),
    Call(0x83, 0x99, PAGE_TEN, OP_STATUS),
    Call(0x83, 0xA0, PAGE_TEN, OP_STATUS),
    Decoder(0x83, 0xA0, PAGE_FOR, 1313, true),
    Ele83({0x83, 0xA1, PAGE_ELE, OP_ACK_UNLOCK, 0, 0, 1127, 1125, "，成功进入"}),
    Call(0x83, 0xA2, PAGE_TEN, OP_STATUS),
    Call(0x83, 0xA3, PAGE_TEN, OP_STATUS),
    Call(0x83, 0xA4, PAGE_TEN, OP_STATUS),
    Decoder(0x83, 0xA5, PAGE_ELE, 1396, true),
    Call(0x83, 0xA5, PAGE_CELLLOG, OP_BOARD_TIME, true),
    Call(0x83, 0xA6, PAGE_ELE, OP_UPGRADE_PACKET, true),
    Ele83({0x83, 0xA6, PAGE_FOR, OP_DECODER_IF_ACTIVE, 0, 0, 1378}),
    Decoder(0x83, 0xA7, PAGE_ELE, 1410, true),
    Ele83(Value(0x83, 0xA8, PAGE_ELE, VT_UI2, 3, 1416)),
    Ele83(Value(0x83, 0xA9, PAGE_ELE, VT_UI2, 3, 1416)),
    Ele83({0x83, 0xB0, PAGE_ELE, OP_VALUE_BITS, 2, VT_UI1, 1422, 0, nullptr, &kModeBits}),
    Call(0x83, 0xD0, PAGE_CELLLOG, OP_BATTERY_LOG, true),
    Call(0x83, 0xD1, PAGE_CELLLOG, OP_BATTERY_LOG, true),
    Call(0x83, 0xE5, PAGE_ELE, OP_EXEC_RESULT, true),
    Call(0x83, 0xE6, PAGE_TEN, OP_BATCH_STATUS),

    // ---- class 0x85: records and small commands
    Call(0x85, 0x81, PAGE_RECORD, OP_BATTERY_RECORDS),
    Value(0x85, 0x82, PAGE_TWO, VT_UI1, 2, 1479),
    {0x85, 0x83, PAGE_ELE, OP_BALANCE, 4, 0, 1479, 1481},
    {0x85, 0x84, PAGE_ELE, OP_BMS_STATE, 2, VT_UI1, 1483},
};

constexpr int ClassSlot(std::uint8_t cls)
{
    switch (cls) {
    case 0x81: return 0;
    case 0x82: return 1;
    case 0x83: return 2;
    case 0x85: return 3;
    default: return -1;
    }
}

struct RouteIndex {
    std::array<std::uint16_t, 4 * 256> first{};
    std::array<std::uint8_t, 4 * 256> count{};
};

const RouteIndex &Index()
{
    static const RouteIndex index = [] {
        RouteIndex ix;
        for (std::size_t i = std::size(kRoutes); i-- > 0;) {
            int slot = ClassSlot(kRoutes[i].cls) * 256 + kRoutes[i].code;
            ix.first[slot] = static_cast<std::uint16_t>(i);
            ++ix.count[slot];
        }
        return ix;
    }();
    return index;
}
} // namespace

std::span<const RxRoute> RoutesFor(std::uint8_t cls, std::uint8_t code)
{
    int slot = ClassSlot(cls);
    if (slot < 0)
        return {};
    const RouteIndex &ix = Index();
    int at = slot * 256 + code;
    return std::span<const RxRoute>(kRoutes + ix.first[at], ix.count[at]);
}

std::span<const RxRoute> AllRoutes()
{
    return kRoutes;
}

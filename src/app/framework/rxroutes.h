// The fixed routing of responses: for each response class and code, the page
// and the operation that handle it, in the order they run.
#pragma once

#include "app/framework/pagekind.h"

#include <cstddef>
#include <cstdint>
#include <span>

enum RouteOp : std::uint8_t {
    OP_VALUE,             // ParseValueResponse(need, vt) on the row
    OP_VALUE_BITS,        // ParseValueResponse into a byte, then the names of its set bits
    OP_BMS_STATE,         // ParseValueResponse into a byte, "boot区" / "APP区"
    OP_TEMP,              // ParseTempResponse on the row
    OP_ACK,               // CheckAckResponse on the row with the default text
    OP_ACK_TIME,          // CheckAckResponse, text "%H:%M:%S" + suffix
    OP_ACK_UNLOCK,        // as OP_ACK_TIME, then show the page waiting for the unlock
    OP_VERSION,           // CheckResponse need 7, "V%hhu.%hhu.%hhu" twice
    OP_OCV,               // CheckResponse need 29, up to 14 values "%u "
    OP_WAKE,              // CheckResponse need 3, wake-up source name
    OP_CURRENT_CAL,       // CheckResponse any length, u16 and s16 when present
    OP_BALANCE,           // CheckResponse need 4, cell byte and s16 time
    OP_EXEC_RESULT,       // CheckResponseQuiet any length, message box
    OP_DECODER,           // the page's own decoder of the row
    OP_DECODER_IF_ACTIVE, // the same, only while the page is the active page
    OP_REPEATER_UPGRADE,  // the page's decoder while active, else the inactive text
    OP_STATUS,            // OnStatusResponse
    OP_BATCH_STATUS,      // OnBatchStatus
    OP_SOC_CONFIG,        // OnSocConfig
    OP_SOC_LEARNING,      // OnSocLearning
    OP_BATTERY_RECORDS,   // OnBatteryRecords
    OP_BATTERY_LOG,       // OnBatteryLogResponse
    OP_BOARD_TIME,        // OnBoardTime
    OP_UPGRADE_PACKET,    // OnUpgradePacket (the upgrade dialog the page runs)
};

struct BitNames {
    const char *const *names;
    int count;
    const char *separator;
};

struct RxRoute {
    std::uint8_t cls;  // response class, bit 7 set
    std::uint8_t code; // response code, bit 7 set
    PageKind page;
    RouteOp op;
    std::uint8_t need = 0;          // expected data length with the result code; 0 = any
    std::uint16_t vt = 0;           // value kind
    int chk = 0;                    // the row's check-box id
    int edit2 = 0;                  // second edit box of the row, where used
    const char *text = nullptr;     // success-text suffix, or the item name
    const BitNames *bits = nullptr; // OP_VALUE_BITS
    bool skipWhenMissing = false;   // a missing page is passed over without a row
};

// Every route of a class and code, in order; empty when the code is not handled.
std::span<const RxRoute> RoutesFor(std::uint8_t cls, std::uint8_t code);
// The whole table (tests).
std::span<const RxRoute> AllRoutes();

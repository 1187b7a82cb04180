// A route of the receive path: for a response class and code, the page
// that takes it and the operation that shows it. Pages hand the receive path
// their routes (PageBase::Routes); the generic operations run in the
// framework on row pages, OP_PAGE calls the page's own OnRoute.
#pragma once

#include "app/framework/valuekind.h"

#include <cstddef>
#include <cstdint>

enum RouteOp : std::uint8_t {
    OP_VALUE,          // ParseValueResponse(need, vt) on the row
    OP_TEMP,           // ParseTempResponse on the row
    OP_ACK,            // CheckAckResponse on the row with the default text
    OP_VERSION,        // CheckResponse need 7, "V%hhu.%hhu.%hhu" twice
    OP_PAGE,           // the page's own handler: OnRoute(route, ...); route.tag and route.chk say what
    OP_PAGE_IF_ACTIVE, // the same, only while the page is active; else edit2 (when set) shows the inactive text
};

struct RxRoute {
    std::uint8_t cls;  // response class, bit 7 set
    std::uint8_t code; // response code, bit 7 set
    RouteOp op;
    std::uint8_t need = 0;        // expected data length with the result code; 0 = any
    std::uint16_t vt = 0;         // value kind
    int chk = 0;                  // the row's check-box id
    int edit2 = 0;                // second edit box of the row, where used
    const char *text = nullptr;   // the page's own meaning (a success-text suffix, an item name)
    bool skipWhenMissing = false; // a missing page is passed over without a row
    int tag = 0;                  // OP_PAGE: the page's own meaning
    std::uint16_t page = 0;       // the handing page's place, filled in when the page registers
};

// Shorthands for route tables.
constexpr RxRoute ValueRoute(std::uint8_t cls, std::uint8_t code, VARTYPE vt, std::uint8_t need, int chk)
{
    return RxRoute{cls, code, OP_VALUE, need, vt, chk};
}
constexpr RxRoute TempRoute(std::uint8_t code, int chk)
{
    return RxRoute{0x82, code, OP_TEMP, 3, VT_I2, chk};
}
// OP_PAGE for a row (the page's decoder of that row, by its check-box id).
constexpr RxRoute RowRoute(std::uint8_t cls, std::uint8_t code, int chk, bool skip = false)
{
    return RxRoute{cls, code, OP_PAGE, 0, 0, chk, 0, nullptr, skip};
}
// OP_PAGE with the page's tag.
constexpr RxRoute PageRoute(std::uint8_t cls, std::uint8_t code, int tag, bool skip = false)
{
    return RxRoute{cls, code, OP_PAGE, 0, 0, 0, 0, nullptr, skip, tag};
}
// A route passed over without a row while its page does not exist.
constexpr RxRoute SkipWhenMissing(RxRoute r)
{
    r.skipWhenMissing = true;
    return r;
}

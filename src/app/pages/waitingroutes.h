// The routes of the pages not built yet. While such a page is missing its
// codes are answered by the "page not loaded" row (or passed over, for the
// routes marked so); once a page of that kind registers, its own routes
// replace these. A page author moves the page's block from waitingroutes.cpp
// into the page's Routes() and deletes the block.
#pragma once

#include "app/framework/rxroutes.h"

#include <span>

// Tags of the OP_PAGE routes below; the page that takes them defines them anew.
enum WaitingTag : int {
    TAG_SOC_CONFIG = 1,  // SOC learning page: the SOC configuration answer
    TAG_SOC_LEARNING,    // SOC learning page: the learning state
    TAG_BATTERY_RECORDS, // battery record page: a block of records
    TAG_BATTERY_LOG,     // battery log page: a block of the log
    TAG_BOARD_TIME,      // battery log page: the board's clock
    TAG_UPGRADE_PACKET,  // customer control page: a packet for the upgrade dialog it runs
};

std::span<const RxRoute> WaitingRoutes();

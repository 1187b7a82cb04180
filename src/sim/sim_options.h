// Settings of the simulated board: what it is, how fast its pack lives and
// which faults it injects into the link.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Milliseconds since 1970-01-01 00:00 UTC. The board reads time only through
// such a clock, so tests can drive it by hand.
using SimClock = std::function<std::int64_t()>;
class ReplayBook;
std::int64_t SystemClockMs();

struct SimOptions {
    // A second board on the same link answers status requests after the main
    // board, with link byte 0xD3 and its own pack.
    bool secondary = false;
    // A repeater in front of the board answers the class 0x01 requests and
    // passes every other request on to the board.
    bool repeater = false;
    // The board refuses to enter its internal debugging mode.
    bool refuseInternal = false;

    // Faults; 0 switches each one off.
    int dropEvery = 0;            // every Nth answer is not sent
    bool answerSecondTry = false; // a request is answered only when it is repeated
    int corruptEvery = 0;         // every Nth answer carries a wrong checksum
    int wrongLengthEvery = 0;     // every Nth answer carries one data byte too many
    int resultCode = 0;           // every answer carries this result code and no data
    int garbageBytes = 0;         // that many noise bytes go before each answer
    int byteDelayMs = 0;          // answers are written byte by byte with this pause
    int answerDelayMs = 0;        // each answer waits this long before it is written
    bool noBatch = false;         // the batch status request is refused
    bool noLog = false;           // an event log request gets its acknowledgement and no records
    int logResultCode = 0;        // the event log request is refused with this result code
    int socFailStage = 0;         // SOC learning fails when it reaches this stage (1-10)
    int socFailCode = 0x51;       // with this learning error code
    // The board goes silent silentAfterSec seconds after the start (neither
    // hearing nor answering), for silentForSec seconds (0: for good); with only
    // silentForSec it is silent from the start for that long.
    int silentAfterSec = 0;
    int silentForSec = 0;
    // After a completed firmware upgrade the board restarts and answers
    // nothing for this many seconds.
    int restartSilentSec = 0;

    // Firmware loaders. The command protocol's answers: 0 each switch off.
    int fwRefuseRequest = 0;   // the upgrade request is refused with this reason (1-255)
    int fwRefuseCheck = 0;     // the information check is refused with this status (1-255)
    int fwEraseFail = 0;       // 1: the flash erase fails
    int fwBlockSizeCode = 2;   // block size code of the erase answer (2: 128, 3: 244, other: 64)
    int fwCheckErrorBlock = 0; // this block's first write answer is a check error
    int fwCheckErrorTwice = 0; // this block's first two write answers are check errors
    int fwWriteFailBlock = 0;  // this block's write fails in the flash
    int fwBadNumberBlock = 0;  // this block's number is reported abnormal
    int fwFinalFail = 0;       // 1: the result query reports failure
    int fwDropAnswer = 0;      // answers of this answer step (2, 4 ... 10) are not sent
    int fwRepeatAnswer = 0;    // answers of this answer step are sent twice
    // The YModem loader: NAK this data block (1-based), cancel at this block,
    // drop the ACK of this block once, send its first 'C' this many times.
    int ymNakBlock = 0;
    int ymCanBlock = 0;
    int ymDropAckBlock = 0;
    int ymCRepeat = 1;
    // Where a received firmware image is written (empty: kept in memory only).
    std::string storeImage;

    // The board clock starts this many seconds away from the computer's clock.
    int clockOffsetSec = -180;
    // Pack time runs this many times faster than the clock.
    double speed = 1.0;
    std::uint32_t seed = 1;
    // Line speed when a real serial device is opened.
    int baud = 9600;
    // Every request and answer as hex on standard error.
    bool verbose = false;

    // Requests are answered from a capture's recorded answers where it has
    // them; otherwise by the board itself, or not at all when strict.
    std::shared_ptr<ReplayBook> replay;
    bool replayStrict = false;
    // The main board's serial number (empty: its built-in one).
    std::string sn;
};

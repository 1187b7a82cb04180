// Reading and writing one threshold parameter through the board session:
// the request of its row, the checks of the answer (result code, data length)
// and, for a write, the read-back and the comparison.
#pragma once

#include "cli/board_session.h"
#include "cli/param_keys.h"

#include <QJsonValue>

struct KeyResult {
    int exitStatus = kExitOk;         // kExitBoard, kExitLink or the interrupted status on failure
    QString error;                    // why it failed
    std::vector<std::int64_t> values; // as read (all the answer carries), or read back after a write
    bool Ok() const { return exitStatus == kExitOk; }
};

KeyResult ReadKey(BoardSession &session, const ParamKey &key);
// Writes, checks the answer, reads back (except the record clearing, which
// cannot be read) and compares the values written.
KeyResult WriteKey(BoardSession &session, const ParamKey &key, const std::vector<std::int64_t> &values);

// The values a profile keeps and compares: the first KeyValueCount of them.
std::vector<std::int64_t> StoredValues(const ParamKey &key, const std::vector<std::int64_t> &values);
// A number, or a list of numbers for a multi-value row.
QJsonValue ValuesJson(const ParamKey &key, const std::vector<std::int64_t> &values);
// The values as text with units ("4250 mV", "30 mV，10 mV"); the wake-up
// source by name, the cycle count of the cycle thresholds added.
QString ValuesText(const ParamKey &key, const std::vector<std::int64_t> &values);
// The worse of two exit statuses (link trouble outranks a board error).
int WorseExit(int a, int b);

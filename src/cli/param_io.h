// Reading and writing threshold parameters through the board session: the
// shared request run (files/paramexchange.h) driven request by request, each
// answer waited for, and its outcome as an exit status and a message.
#pragma once

#include "cli/board_session.h"
#include "cli/param_keys.h"
#include "files/paramexchange.h"

struct KeyResult {
    int exitStatus = kExitOk;         // kExitBoard, kExitLink or the interrupted status on failure
    QString error;                    // why it failed
    std::vector<std::int64_t> values; // as read (all the answer carries), or read back after a write
    bool Ok() const { return exitStatus == kExitOk; }
};

// Sends every request of the run and hands it the answers. A parameter the
// board leaves unanswered (or a lost port, an interruption) ends the run;
// the status says which (kExitOk when the run went to its end).
int RunExchange(BoardSession &session, ParamExchange &run);
// One step of a run as a result; linkStatus is what RunExchange returned.
KeyResult StepResult(const ParamStep &step, int linkStatus);

KeyResult ReadKey(BoardSession &session, const ParamKey &key);
// Writes, checks the answer, reads back (except the record clearing, which
// cannot be read) and compares the values written.
KeyResult WriteKey(BoardSession &session, const ParamKey &key, const std::vector<std::int64_t> &values);

// The worse of two exit statuses (link trouble outranks a board error).
int WorseExit(int a, int b);

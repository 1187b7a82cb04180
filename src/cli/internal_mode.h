// The board's internal debugging mode, which the threshold parameters and the
// upgrade need: the same password as the window (from PYLVEX_PASSWORD or read
// from the terminal without echo), checked against the window's stored
// copies, then the board's enter-internal-mode request, as the window sends it.
#pragma once

#include "cli/board_session.h"
#include "cli/cli_options.h"

// Asks for the password and checks it; kExitOk, or the exit status after the
// message (kExitUsage for a missing or wrong password). Nothing is sent.
int VerifyPassword();
// Sends the enter-internal-mode request and checks its acknowledgement.
int EnterInternalMode(BoardSession &session);
// The password, the port and the internal mode, in this order; kExitOk with
// the open session, or the exit status after the message.
int OpenInternal(const CliRequest &request, std::unique_ptr<BoardSession> *session);

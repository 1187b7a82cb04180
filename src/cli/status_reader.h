// Reads the whole live state of the board: with the batch request when the
// board answers it (probed once per opening), else item by item in the
// request order of the live status page.
#pragma once

#include "cli/board_session.h"
#include "protocol/live_status.h"

class StatusReader {
public:
    enum class Result {
        Ok,          // every item read
        Partial,     // the board answered, some items with an error (noted in the state)
        NoAnswer,    // the board did not answer
        Lost,        // the port is gone
        Interrupted, // SIGINT or SIGTERM
    };

    explicit StatusReader(BoardSession &session) : m_session(session) {}
    Result Read(LiveStatus *status);
    bool BatchMode() const { return m_mode == Mode::Batch; }
    // Probes the batch request again at the next read (after the port was reopened).
    void Reset() { m_mode = Mode::Unknown; }

private:
    enum class Mode { Unknown, Batch, Items };
    Result ReadBatch(LiveStatus *status, bool *refused);
    Result ReadItems(LiveStatus *status);

    BoardSession &m_session;
    Mode m_mode = Mode::Unknown;
};

// The exit status for a result of a one-off read.
int ExitStatusOf(StatusReader::Result result);

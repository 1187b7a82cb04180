#include "cli/status_reader.h"

#include "cli/commands.h"

namespace {
StatusReader::Result FromOutcome(BoardSession::Outcome outcome)
{
    switch (outcome) {
    case BoardSession::Outcome::Lost: return StatusReader::Result::Lost;
    case BoardSession::Outcome::Interrupted: return StatusReader::Result::Interrupted;
    default: return StatusReader::Result::NoAnswer;
    }
}
} // namespace

StatusReader::Result StatusReader::Read(LiveStatus *status)
{
    *status = LiveStatus();
    if (m_mode != Mode::Items) {
        bool refused = false;
        const Result r = ReadBatch(status, &refused);
        if (r == Result::Ok) {
            m_mode = Mode::Batch;
            return r;
        }
        if (refused)
            m_mode = Mode::Items;
        else if (m_mode == Mode::Batch || r != Result::NoAnswer)
            return r;
    }
    const Result r = ReadItems(status);
    if (r == Result::Ok || r == Result::Partial)
        m_mode = Mode::Items;
    return r;
}

StatusReader::Result StatusReader::ReadBatch(LiveStatus *status, bool *refused)
{
    const auto payload = BatchRequestPayload();
    // A board without the batch read may stay silent: probe it only once.
    const BoardSession::Reply reply = m_session.Request(payload, m_mode == Mode::Batch ? 2 : 1);
    if (reply.outcome != BoardSession::Outcome::Answered)
        return FromOutcome(reply.outcome);
    const BatchStatus answer = ParseBatchStatus(reply.frame.data(), reply.frame.size());
    if (!answer.accepted) {
        *refused = true;
        return Result::NoAnswer;
    }
    ApplyBatchStatus(*status, answer);
    return status->problems.empty() ? Result::Ok : Result::Partial;
}

StatusReader::Result StatusReader::ReadItems(LiveStatus *status)
{
    for (std::uint8_t code : kStatusRequestOrder) {
        const std::uint8_t payload[] = {0x53, 0x03, code, 0x01, 0x00};
        const BoardSession::Reply reply = m_session.Request(payload);
        if (reply.outcome != BoardSession::Outcome::Answered)
            return FromOutcome(reply.outcome);
        ApplyStatusFrame(*status, reply.frame.data(), reply.frame.size());
    }
    return status->problems.empty() ? Result::Ok : Result::Partial;
}

int ExitStatusOf(StatusReader::Result result)
{
    switch (result) {
    case StatusReader::Result::Ok: return kExitOk;
    case StatusReader::Result::Partial: return kExitBoard;
    case StatusReader::Result::Interrupted: return kExitInterrupted;
    default: return kExitLink;
    }
}

// A run of threshold-parameter requests as both the window and pylvexctl
// make it: reads, writes each read back and compared with what was written,
// and the board's SN and versions. The run builds every request and judges
// every answer; its driver sends the request, waits for the answer and hands
// it back (or says that none came), so the same rules hold whichever program
// talks to the board.
#pragma once

#include "files/paramkeys.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

enum class ParamOutcome {
    Pending,   // not reached: the run ended before it
    Read,      // read; values holds what the board holds
    Confirmed, // written and read back equal
    Refused,   // the board answered with a non-zero result code (resultCode)
    BadAnswer, // an answer of the wrong length, or one that cannot be decoded
    Different, // written, read back different; values holds what the board holds
    NoAnswer,  // the board did not answer
};

struct ParamStep {
    const ParamKey *key = nullptr;
    bool write = false;
    std::vector<std::int64_t> wanted; // the values to write
    ParamOutcome outcome = ParamOutcome::Pending;
    int resultCode = 0;               // the board's result code when refused
    std::vector<std::int64_t> values; // as the board answered: read, or read back
    QString error;                    // why it did not succeed, in the user's words
    bool Ok() const { return outcome == ParamOutcome::Read || outcome == ParamOutcome::Confirmed; }
};

// The judgement of one answer to a request of the key's row: Read with the
// values, or Refused, BadAnswer with the page's text ("ErrorCode: 0x03",
// "Len:3, Need:5").
struct RowAnswer {
    ParamOutcome outcome = ParamOutcome::BadAnswer;
    int resultCode = 0;
    std::vector<std::int64_t> values;
    QString error;
};
RowAnswer CheckRowAnswer(const ParamKey &key, const std::uint8_t *frame, std::size_t length);

// The board's SN and versions as far as it gave them.
struct ProfileIdentity {
    std::optional<QString> sn;
    std::optional<QString> software;
    std::optional<QString> hardware;
    // What the board did not give, each with why: "SN 码（无应答）".
    QStringList missing;
};

class ParamExchange {
public:
    // The SN and (with versions) the versions, asked before the parameters.
    void AddIdentity(bool versions = true);
    void AddRead(const ParamKey &key);
    void AddWrite(const ParamKey &key, const std::vector<std::int64_t> &values);

    // The payload of the request to send now (link byte on); empty once the run is over.
    std::vector<std::uint8_t> Request() const;
    // The frame (head to tail) answers the request now waiting: its class and
    // code with bit 7 set.
    bool IsAnswer(const std::uint8_t *frame, std::size_t length) const;
    void OnAnswer(const std::uint8_t *frame, std::size_t length);
    // No answer came to the request now waiting; why, in the user's words.
    void OnNoAnswer(const QString &why);
    // Ends the run; the steps not reached stay Pending.
    void Stop() { m_job = m_jobs.size(); }
    bool Finished() const { return m_job >= m_jobs.size(); }
    // The step the waiting request belongs to; -1 for the identity or once over.
    int CurrentStep() const;
    // A write of the current step has been answered and its read-back waits.
    bool ReadingBack() const { return m_readBack; }

    const std::vector<ParamStep> &Steps() const { return m_steps; }
    const ProfileIdentity &Identity() const { return m_identity; }
    // Requests a whole run sends when every write is answered (a write and its read-back count two).
    int PlannedRequests() const;

private:
    enum class Job { Sn, Versions, Step };
    struct Entry {
        Job job;
        int step;
    };
    void Next();
    void NoteMissing(const QString &what, const QString &why);

    std::vector<ParamStep> m_steps;
    std::vector<Entry> m_jobs;
    std::size_t m_job = 0;
    bool m_readBack = false;
    ProfileIdentity m_identity;
};

// A short text of a step's outcome for a table: "已写入并确认", "被拒绝（ErrorCode: 0x03）" ...
QString StepOutcomeText(const ParamStep &step);

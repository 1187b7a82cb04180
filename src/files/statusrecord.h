// The timed status recording: the values the live status page shows, kept as
// texts, and the daily CSV file ("Record_<date>.csv" in the Log folder, GBK,
// CR LF, fields never quoted) one row per save period.
#pragma once

#include "protocol/live_status.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <deque>

enum StatusRecordField {
    kRecTime,
    kRecSoc,
    kRecVoltage,
    kRecCurrent,
    kRecHighCell,
    kRecHighCellNo,
    kRecLowCell,
    kRecLowCellNo,
    kRecCellDiff,
    kRecHighTemp,
    kRecHighTempProbe,
    kRecLowTemp,
    kRecLowTempProbe,
    kRecAlarm,
    kRecSystemState,
    kRecProbeCount,
    kRecCellCount,
    kRecTempDiff,
    kRecProtection,
    kRecFieldCount
};

struct StatusRecord {
    std::array<QString, kRecFieldCount> fields;
    QStringList temps; // one "%.1f" per probe
    QStringList cells; // one "%hu" per cell

    // A row is written only once SOC, temperatures and cells are known.
    bool Complete() const { return !fields[kRecSoc].isEmpty() && !temps.isEmpty() && !cells.isEmpty(); }
};

// Fills the fields that the answer of one status item feeds (cells, voltage,
// current and temperatures, alarm, protection, probe count, SOC) from the
// live state, as the live status page does while it records.
void RecordStatusItem(StatusRecord &record, std::uint8_t code, const LiveStatus &status);

// The columns of a file: the lead columns (kRecTime, kRecSoc, kRecVoltage,
// kRecCurrent, kRecProtection), one per probe, one per cell, then the tail
// columns (kRecHighCell ... kRecTempDiff).
QStringList StatusRecordLeadColumns();
QString StatusRecordTempColumn(int probe); // from 1
QString StatusRecordCellColumn(int cell);  // from 1
QStringList StatusRecordTailColumns();

// Header line of a new file; its columns follow the list lengths of the record.
QString StatusRecordHeader(const StatusRecord &record);
// Data line: one empty field more at its end than the header.
QString StatusRecordRow(const StatusRecord &record);
// "Record_<yyyy-MM-dd><tag>.csv": the day's file name (tag empty but for a
// second series of the same day).
QString StatusRecordName(const QDate &day, const QString &tag = QString());
// "<Log folder>/Record_<yyyy-MM-dd>.csv".
QString StatusRecordPath(const QDate &day);

struct RecordWriteResult {
    enum Outcome { Skipped, Written, Failed } outcome = Skipped;
    bool headerWritten = false;
    QString error;  // the system's message, at most 255 characters
    QString path;   // the file that could not be written (full path)
    QString reason; // why, in words for the user
    // StatusRecorder only: rows kept for a later tick, rows of earlier ticks
    // written now, and rows given up because the backlog was full.
    int pending = 0;
    int flushed = 0;
    int dropped = 0;
};
// Sets the time field from now, then appends the row (with the header first
// when the file is new or empty) to the file of now's day. The file is opened
// for appending and closed again; rows already in it are never touched.
RecordWriteResult WriteStatusRecord(StatusRecord &record, const QDateTime &now);
// The same into a file of the caller's choice.
RecordWriteResult AppendStatusRecord(StatusRecord &record, const QString &path, const QDateTime &now);

// The recording as the page runs it: a row that cannot be written is kept in
// memory and written, in order and before the newer rows, at the next tick
// that can write. At most kMaxPending rows wait; beyond that the oldest is
// given up and counted.
class StatusRecorder {
public:
    static constexpr int kMaxPending = 3600;

    RecordWriteResult Write(StatusRecord &record, const QDateTime &now);
    int Pending() const { return static_cast<int>(m_pending.size()); }

private:
    struct PendingRow {
        QDate day;
        QString header; // written first when the day's file is new or empty
        QString row;
    };
    bool WriteRow(const PendingRow &row, RecordWriteResult &result);

    std::deque<PendingRow> m_pending;
    int m_dropped = 0; // given up since the last report
};

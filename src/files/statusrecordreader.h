// Reading back a daily status recording ("Record_<yyyy-MM-dd>.csv", GBK, CR
// LF) as the timed save writes it, into samples for the charts. The header must
// be the recording's own (its lead columns, "温度1" ... , "节1" ... , its tail
// columns); any other file is refused with a message for the user.
#pragma once

#include "files/packseries.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

struct StatusRecordRead {
    bool ok = false;
    QString error; // why the file was refused, in words for the user
    QDate day;     // the day of the first row
    int probes = 0;
    int cells = 0;
    std::vector<PackSample> samples;
    int skippedRows = 0;            // rows without the header's field count or a valid time
    bool truncatedLastLine = false; // the file ends inside a row (not kept)
};

// bytes: the whole file; day: the day of its first row. A row whose time is
// more than twelve hours before the row above it belongs to the next day.
StatusRecordRead ReadStatusRecord(const QByteArray &bytes, const QDate &day);
// The day from the file name "Record_yyyy-MM-dd.csv", else the file's date of change.
QDate StatusRecordDay(const QString &path);
StatusRecordRead ReadStatusRecordFile(const QString &path);

// Adds the rows as a new set of the store; rows further apart than three
// times the usual save period (at least 5 s) leave a gap.
void AddRecordedRows(PackSeriesStore &store, const StatusRecordRead &read, const QString &label);
// Reads the file straight into a new set of the store (the same set as reading
// it and adding its rows, without holding the rows in between); the result
// holds no samples. Nothing is added when the file is refused.
StatusRecordRead LoadStatusRecordFile(const QString &path, PackSeriesStore &store, const QString &label);

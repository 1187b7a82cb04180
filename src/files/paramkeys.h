// The threshold parameters of the two threshold pages under stable lower-case
// English keys: the table both the window and pylvexctl name them by, the
// checked conversion of entered values with the pages' range messages, and the
// forms a parameter's values take in a file and in a table.
#pragma once

#include "protocol/param_decode.h"

#include <QJsonValue>
#include <QString>

#include <cstdint>
#include <vector>

struct ParamKey {
    const char *key;
    bool alarmPage;    // false: the wake-up and thresholds page
    int row;           // row number on its page
    const char *units; // of each value, comma-separated, for the help text
};

// All 49 rows, wake-up page first, each page in table order.
const std::vector<ParamKey> &ParamKeys();
const ParamKey *FindParamKey(const QString &key);
const PageParamRow &RowOf(const ParamKey &key);
// The key of a page row; nullptr for a row that has none.
const ParamKey *KeyOfRow(const PageParamRow &row);

// A row can be read (all but the record clearing) and written (all but the wake-up source).
bool KeyReadable(const ParamKey &key);
bool KeyWritable(const ParamKey &key);
// Readable and writable: what a profile compares and applies.
bool KeyStored(const ParamKey &key);
// Values a write takes and a read of the row is compared on: 1 to 4.
int KeyValueCount(const ParamKey &key);
// The row's label without its trailing colon, for tables.
QString KeyLabel(const ParamKey &key);

// Converts the text of the values ("4250", "30,10") with the pages' checks:
// every value through the pages' integer input with the row's range, signed
// as the page converts it. False with the message to show.
bool ParseKeyValues(const ParamKey &key, const QString &text, std::vector<std::int64_t> *values, QString *error);

// The values a profile keeps and compares: the first KeyValueCount of them.
std::vector<std::int64_t> StoredValues(const ParamKey &key, const std::vector<std::int64_t> &values);
// A number, or a list of numbers for a multi-value row.
QJsonValue ValuesJson(const ParamKey &key, const std::vector<std::int64_t> &values);
// The values as text with units ("4250 mV", "30 mV，10 mV"); the wake-up
// source by name, the cycle count of the cycle thresholds added.
QString ValuesText(const ParamKey &key, const std::vector<std::int64_t> &values);
// The kept values without units ("4250", "30，10"), for a table with a unit column.
QString ValuesPlain(const ParamKey &key, const std::vector<std::int64_t> &values);
// The units of the kept values as the page shows them ("mV", "mV，mV"); empty when none.
QString KeyUnitText(const ParamKey &key);

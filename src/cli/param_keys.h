// The threshold parameters of the two threshold pages under stable lower-case
// English keys, and the checked conversion of "KEY=VALUE" texts into the
// values a write request takes, with the window's range messages.
#pragma once

#include "protocol/param_decode.h"

#include <QString>
#include <QStringList>

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

// A row can be read (all but the record clearing) and written (all but the wake-up source).
bool KeyReadable(const ParamKey &key);
bool KeyWritable(const ParamKey &key);
// Readable and writable: what a profile compares and applies.
bool KeyStored(const ParamKey &key);
// Values a write takes and a read of the row is compared on: 1 to 4.
int KeyValueCount(const ParamKey &key);
// The row's label without its trailing colon, for tables.
QString KeyLabel(const ParamKey &key);

struct KeyValue {
    const ParamKey *key = nullptr;
    std::vector<std::int64_t> values; // one per written value, as entered (temperatures in degrees)
};

// Converts the text of the values ("4250", "30,10") with the window's checks:
// every value through the page's integer input with the row's range, signed
// as the page converts it. False with the message to show.
bool ParseKeyValues(const ParamKey &key, const QString &text, std::vector<std::int64_t> *values, QString *error);
// "KEY=VALUE": the key must exist and be writable.
bool ParseAssignment(const QString &text, KeyValue *out, QString *error);
// Keys to read: the given ones (each must exist and be readable) or every readable key.
bool ResolveReadKeys(const QStringList &names, std::vector<const ParamKey *> *keys, QString *error);

// The help text listing every key with its label, units and range.
QString ParamKeysHelp();

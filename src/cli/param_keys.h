// The threshold parameters on the command line: "KEY=VALUE" texts, the keys
// to read and the help text. The key table itself is the one the window
// shares (files/paramkeys.h).
#pragma once

#include "files/paramkeys.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct KeyValue {
    const ParamKey *key = nullptr;
    std::vector<std::int64_t> values; // one per written value, as entered (temperatures in degrees)
};

// "KEY=VALUE": the key must exist and be writable.
bool ParseAssignment(const QString &text, KeyValue *out, QString *error);
// Keys to read: the given ones (each must exist and be readable) or every readable key.
bool ResolveReadKeys(const QStringList &names, std::vector<const ParamKey *> *keys, QString *error);

// The help text listing every key with its label, units and range.
QString ParamKeysHelp();

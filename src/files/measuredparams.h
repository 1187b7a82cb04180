// The measured-parameter file of the internal debug page: nominal and
// measured capacity, cell arrangement, open-circuit voltages and the two
// internal resistance tables, as texts under fixed sections and keys.
#pragma once

#include "files/inifile.h"

#include <QDate>
#include <QString>

#include <array>

struct MeasuredTableRow {
    QString current;     // the test current
    QString resistances; // fourteen numbers separated by blanks
};

struct MeasuredParams {
    QString series;           // [标称容量] 串数
    QString parallel;         // [标称容量] 并数
    QString nominalCapacity;  // [标称容量] SOC
    QString measuredCapacity; // [实测容量] SOC
    QString openCircuit;      // [开路电压] 电压
    // List rows 0 and 1 under [充电内阻], rows 2 and 3 under [放电内阻], with
    // the keys 电流 and 内阻值 followed by the measurement index (row mod 2).
    std::array<MeasuredTableRow, 4> rows;
};

// One text of the file and where it lives.
struct MeasuredKey {
    const char *section;
    const char *key;
    QString MeasuredParams::*field;
};
// The five single texts, in the order they are written.
const std::array<MeasuredKey, 5> &MeasuredKeys();
// The section of a list row and its two keys.
QString MeasuredRowSection(int row);
QString MeasuredCurrentKey(int row);
QString MeasuredResistanceKey(int row);

// "实测参数_yyyy-MM-dd.ini".
QString MeasuredParamsFileName(const QDate &date);

// Absent keys give empty texts.
MeasuredParams MeasuredParamsFromIni(const IniFile &ini);
IniFile MeasuredParamsToIni(const MeasuredParams &params);

bool ReadMeasuredParams(const QString &path, MeasuredParams *out, QString *error);
// A failed write leaves any previous file unchanged.
bool WriteMeasuredParams(const QString &path, const MeasuredParams &params, QString *error);

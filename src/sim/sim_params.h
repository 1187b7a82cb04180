// The board's parameters of class 0x02: one row per stored parameter with its
// read and write codes and the layout of its value (both from the parameter
// table), its default for a 16-cell LiFePO4 pack of 50 Ah and the range the
// board accepts. Temperatures are hundredths of a degree.
#pragma once

#include "protocol/param_table.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Result codes of the board's answers.
inline constexpr std::uint8_t kResultOk = 0x00;
inline constexpr std::uint8_t kResultUnknown = 0x01;   // command not supported
inline constexpr std::uint8_t kResultBadLength = 0x02; // request data of the wrong length
inline constexpr std::uint8_t kResultBadValue = 0x03;  // a value the board cannot take

enum class FieldKind : std::uint8_t { U8, I16, U16, I32, U32 };

struct ParamRow {
    ParamId id;
    std::uint8_t readCode;
    std::uint8_t writeCode;
    std::uint8_t fieldCount;
    std::array<FieldKind, 4> fields;
    std::array<std::int64_t, 4> defaults;
    // Inclusive bounds every field must keep; a write outside is refused.
    std::int64_t min;
    std::int64_t max;
};

// Every class 0x02 parameter row.
std::span<const ParamRow> ParamRows();
const ParamRow &ParamRowOf(ParamId id);
std::size_t FieldSize(FieldKind kind);
std::size_t RowDataSize(const ParamRow &row);

// The stored values of one board.
class ParamStore {
public:
    ParamStore();
    std::int64_t Get(ParamId id, int field = 0) const;
    void Set(ParamId id, int field, std::int64_t value);
    // The row's values big-endian, as a read answer carries them after the result code.
    std::vector<std::uint8_t> Encode(const ParamRow &row) const;
    // Decodes a write request's data into values; the result code of the
    // answer: kResultOk, kResultBadLength or kResultBadValue.
    static std::uint8_t Decode(const ParamRow &row, std::span<const std::uint8_t> data,
                               std::array<std::int64_t, 4> &values);
    void Store(const ParamRow &row, const std::array<std::int64_t, 4> &values);

private:
    std::array<std::array<std::int64_t, 4>, kStoredParamCount> m_values{};
};

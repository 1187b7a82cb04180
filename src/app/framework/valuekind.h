// Single values of the parameter rows: big-endian encoding and decoding by kind.
#pragma once

#include <cstddef>
#include <cstdint>

// Value kinds of a single parameter (variant type codes).
using VARTYPE = unsigned short;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I1 = 16;
inline constexpr VARTYPE VT_UI1 = 17;
inline constexpr VARTYPE VT_UI2 = 18;
inline constexpr VARTYPE VT_INT = 22;
inline constexpr VARTYPE VT_UINT = 23;

// Bytes of a kind on the wire (1, 2 or 4), 0 for a kind outside the table.
int ValueKindSize(VARTYPE vt);
bool ValueKindSigned(VARTYPE vt);
// Writes the low bytes of v big-endian; the count, or 0 for an unknown kind.
int EncodeValue(VARTYPE vt, std::uint32_t v, std::uint8_t *out);
// Reads a value of the kind from at most avail bytes, sign-extended for the
// signed kinds, into value (as the 32-bit pattern). False when the kind is
// unknown or the bytes are too few.
bool DecodeValue(VARTYPE vt, const std::uint8_t *bytes, std::size_t avail, std::uint32_t &value);

#include "app/framework/valuekind.h"

#include "protocol/param_decode.h"

// The page framework's variant type codes are the protocol's value kinds.
static_assert(VT_I1 == static_cast<VARTYPE>(ValueKind::I1) && VT_UI1 == static_cast<VARTYPE>(ValueKind::UI1) &&
              VT_I2 == static_cast<VARTYPE>(ValueKind::I2) && VT_UI2 == static_cast<VARTYPE>(ValueKind::UI2) &&
              VT_INT == static_cast<VARTYPE>(ValueKind::Int) && VT_UINT == static_cast<VARTYPE>(ValueKind::UInt));

int ValueKindSize(VARTYPE vt)
{
    return ValueKindBytes(static_cast<ValueKind>(vt));
}

bool ValueKindSigned(VARTYPE vt)
{
    return vt == VT_I1 || vt == VT_I2 || vt == VT_INT;
}

int EncodeValue(VARTYPE vt, std::uint32_t v, std::uint8_t *out)
{
    int size = ValueKindSize(vt);
    for (int i = 0; i < size; ++i)
        out[i] = static_cast<std::uint8_t>(v >> (8 * (size - 1 - i)));
    return size;
}

bool DecodeValue(VARTYPE vt, const std::uint8_t *bytes, std::size_t avail, std::uint32_t &value)
{
    int size = ValueKindSize(vt);
    if (size == 0 || avail < static_cast<std::size_t>(size))
        return false;
    std::uint32_t v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | bytes[i];
    if (vt == VT_I1)
        v = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(v)));
    else if (vt == VT_I2)
        v = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int16_t>(v)));
    value = v;
    return true;
}

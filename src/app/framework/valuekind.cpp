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
    const std::optional<std::int64_t> v =
        DecodeKindValue(static_cast<ValueKind>(vt), std::span<const std::uint8_t>(bytes, bytes ? avail : 0));
    if (!v)
        return false;
    value = static_cast<std::uint32_t>(*v); // signed kinds keep their sign-extended pattern
    return true;
}

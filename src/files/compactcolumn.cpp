#include "files/compactcolumn.h"

#include <cmath>

CompactColumn::CompactColumn(double per, bool baseFromFirst) : m_per(per), m_baseFromFirst(baseFromFirst) {}

double CompactColumn::operator[](std::size_t i) const
{
    switch (m_kind) {
    case Kind::k16: return m_base + m_16[i] / m_per;
    case Kind::k32: return m_base + m_32[i] / m_per;
    case Kind::kDouble: break;
    }
    return m_double[i];
}

bool CompactColumn::Fits(double x, Kind kind, std::int64_t &raw) const
{
    if (kind == Kind::kDouble)
        return true;
    if (!std::isfinite(x))
        return false;
    const double steps = std::round((x - m_base) * m_per);
    const double limit = kind == Kind::k16 ? 32767.0 : 2147483647.0;
    if (!(std::fabs(steps) <= limit))
        return false;
    raw = static_cast<std::int64_t>(steps);
    // Exact: reading it back gives the very same double.
    return m_base + static_cast<double>(raw) / m_per == x;
}

template <typename T> void CompactColumn::Grow(std::vector<T> &v)
{
    if (v.size() == v.capacity())
        v.reserve(v.size() + v.size() / 4 + 16);
}

void CompactColumn::Widen(Kind kind)
{
    if (kind == m_kind)
        return;
    std::vector<double> values(m_size);
    for (std::size_t i = 0; i < m_size; ++i)
        values[i] = (*this)[i];
    std::vector<std::int16_t>().swap(m_16);
    std::vector<std::int32_t>().swap(m_32);
    if (kind == Kind::k32) {
        m_32.reserve(m_size + m_size / 4 + 16);
        for (double x : values)
            m_32.push_back(static_cast<std::int32_t>(std::round((x - m_base) * m_per)));
    } else {
        m_double = std::move(values);
    }
    m_kind = kind;
}

void CompactColumn::Push(double x)
{
    if (m_size == 0 && m_baseFromFirst && std::isfinite(x))
        m_base = x;
    std::int64_t raw = 0;
    while (!Fits(x, m_kind, raw))
        Widen(m_kind == Kind::k16 ? Kind::k32 : Kind::kDouble);
    switch (m_kind) {
    case Kind::k16:
        Grow(m_16);
        m_16.push_back(static_cast<std::int16_t>(raw));
        break;
    case Kind::k32:
        Grow(m_32);
        m_32.push_back(static_cast<std::int32_t>(raw));
        break;
    case Kind::kDouble:
        Grow(m_double);
        m_double.push_back(x);
        break;
    }
    ++m_size;
}

void CompactColumn::Clear()
{
    *this = CompactColumn(m_per, m_baseFromFirst);
}

void CompactColumn::DropFront(std::size_t from)
{
    if (from == 0)
        return;
    if (from >= m_size) {
        Clear();
        return;
    }
    auto drop = [from](auto &v) {
        v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(from));
        // Give back room no longer needed once the column has shrunk a lot.
        if (v.capacity() > v.size() + v.size() / 4 + 64)
            v.shrink_to_fit();
    };
    switch (m_kind) {
    case Kind::k16: drop(m_16); break;
    case Kind::k32: drop(m_32); break;
    case Kind::kDouble: drop(m_double); break;
    }
    m_size -= from;
}

std::size_t CompactColumn::Bytes() const
{
    return m_16.capacity() * sizeof(std::int16_t) + m_32.capacity() * sizeof(std::int32_t) +
           m_double.capacity() * sizeof(double);
}

int CompactColumn::Width() const
{
    switch (m_kind) {
    case Kind::k16: return 2;
    case Kind::k32: return 4;
    case Kind::kDouble: break;
    }
    return 8;
}

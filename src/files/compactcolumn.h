// A column of numbers kept in the narrowest integer type that holds them
// exactly: each value is stored as round((x - base) * per) in 16 or 32 bits,
// where `per` is the number of steps per unit (1000 for millivolts shown as
// volts, 10 for tenths of a degree). The first value that does not fit (out of
// range, finer than a step, not finite) widens the whole column, at last to
// plain doubles, so nothing is ever rounded away. Growth is by a quarter, so
// the spare room stays small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CompactColumn {
public:
    // per: steps per unit; baseFromFirst: the first value becomes the base
    // (times: small offsets from the start of the series).
    explicit CompactColumn(double per = 1, bool baseFromFirst = false);

    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    double operator[](std::size_t i) const;
    double Back() const { return (*this)[m_size - 1]; }
    void Push(double x);
    void Clear();
    // Keeps only the values [from, Size()) (the oldest go).
    void DropFront(std::size_t from);
    // Bytes held, spare room included.
    std::size_t Bytes() const;
    // Bytes per value now (2, 4 or 8).
    int Width() const;

private:
    enum class Kind : std::uint8_t { k16, k32, kDouble };
    bool Fits(double x, Kind kind, std::int64_t &raw) const;
    void Widen(Kind kind);
    template <typename T> static void Grow(std::vector<T> &v);

    Kind m_kind = Kind::k16;
    double m_per;
    double m_base = 0;
    bool m_baseFromFirst;
    std::size_t m_size = 0;
    std::vector<std::int16_t> m_16;
    std::vector<std::int32_t> m_32;
    std::vector<double> m_double;
};

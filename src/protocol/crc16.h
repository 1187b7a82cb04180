// The two 16-bit check values of the firmware upgrades.
#pragma once

#include <cstddef>
#include <cstdint>

// Polynomial 0x8005 reflected, initial value 0xFFFF, no final XOR; the
// upgrade packets carry it low byte first.
std::uint16_t Crc16Modbus(const std::uint8_t *bytes, std::size_t count);
// Polynomial 0x1021, initial value 0, not reflected, no final XOR; the
// YModem blocks carry it high byte first.
std::uint16_t Crc16Xmodem(const std::uint8_t *bytes, std::size_t count);

// The commands of the board link by class and code, with their names: every
// request the tool or the simulated board knows (the class 0x02 parameters
// from the parameter table, the class 0x03 status items, the control, debug,
// log, record, SOC, clock, upgrade and repeater commands) and the frames the
// board sends by itself. An answer carries its request's class and code with
// bit 7 set and is named by its request. Built from the commands' own
// constants, so a class or code lives in one place; the capture dissector is
// generated from this table.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct CommandName {
    std::uint8_t cls;
    std::uint8_t code;
    std::string name;
    // A frame the board sends that answers no request of its own code
    // (matched on its class and code as they are).
    bool boardFrame = false;
};

// Every entry; each class and code once.
std::span<const CommandName> CommandNames();
// The name of a frame's class and code (bit 7 of either set or not); empty when unknown.
std::string CommandNameOf(std::uint8_t cls, std::uint8_t code);

struct ResultCodeText {
    std::uint8_t code;
    const char *text;
};
// What the result codes of answers mean.
std::span<const ResultCodeText> ResultCodeTexts();

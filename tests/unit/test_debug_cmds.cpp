// Requests and answer decoders of the internal debug page, the internal
// resistance tables, the register block and the fill-in dialog's checks.
#include "protocol/debug_cmds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Values14(std::uint16_t first)
{
    Bytes b;
    for (int i = 0; i < 14; ++i) {
        std::uint16_t v = static_cast<std::uint16_t>(first + i);
        b.push_back(static_cast<std::uint8_t>(v >> 8));
        b.push_back(static_cast<std::uint8_t>(v));
    }
    return b;
}
} // namespace

TEST(DebugCmds, PlainReads)
{
    struct Case {
        CommandId command;
        Bytes payload;
    };
    const Case cases[] = {
        {kCmdBoardUpgrade, {0x53, 0x02, 0x01, 0x01, 0x00}}, {kCmdProductionDateRead, {0x53, 0x03, 0x20, 0x01, 0x00}},
        {kCmdVersionsRead, {0x53, 0x02, 0x03, 0x01, 0x00}}, {kCmdArrangementRead, {0x53, 0x02, 0x5F, 0x01, 0x00}},
        {kCmdSnRead, {0x53, 0x03, 0x01, 0x01, 0x00}},       {kCmdMeasuredCapacityRead, {0x53, 0x02, 0x6B, 0x01, 0x00}},
        {kCmdOcvRead, {0x53, 0x02, 0x11, 0x01, 0x00}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlainRequest(c.command), c.payload) << int(c.command.code);
    EXPECT_EQ(RegisterReadPayload(), (Bytes{0x53, 0x02, 0x02, 0x03, 0x00, 0x00, 0x00}));
}

TEST(DebugCmds, ProductionDate)
{
    EXPECT_EQ(ProductionDatePayload(2021, 7, 15), (Bytes{0x53, 0x02, 0x6A, 0x03, 0x15, 0x07, 0x0F}));
    EXPECT_EQ(ProductionDatePayload(2255, 12, 31), (Bytes{0x53, 0x02, 0x6A, 0x03, 0xFF, 0x0C, 0x1F}));

    struct Case {
        Bytes data;
        bool shown;
        int y, m, d;
    };
    const Case cases[] = {
        {{0x00, 0x15, 0x07, 0x0F}, true, 2021, 7, 15}, {{0x00, 0x18, 0x02, 0x1D}, true, 2024, 2, 29},
        {{0x00, 0x15, 0x00, 0x0F}, false, 0, 0, 0}, // month 0: the picker stays
        {{0x00, 0x15, 0x0D, 0x0F}, false, 0, 0, 0},    {{0x00, 0x15, 0x04, 0x1F}, false, 0, 0, 0}, // 31 April
        {{0x00, 0x15, 0x02, 0x1D}, false, 0, 0, 0},                                                // 29 February 2021
        {{0x00, 0x15, 0x07}, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        auto date = DecodeProductionDateAnswer(c.data);
        ASSERT_EQ(date.has_value(), c.shown);
        if (date) {
            EXPECT_EQ(std::vector<int>({date->year, date->month, date->day}), std::vector<int>({c.y, c.m, c.d}));
        }
    }
}

TEST(DebugCmds, Versions)
{
    auto v = DecodeVersionsAnswer(Bytes{0x00, 0x01, 0x02, 0x03, 0x0A, 0x00, 0x01});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->software, "V1.2.3");
    EXPECT_EQ(v->hardware, "V10.0.1");
    auto big = DecodeVersionsAnswer(Bytes{0x00, 0xFF, 0x00, 0x80, 0x01, 0x01, 0x01});
    ASSERT_TRUE(big);
    EXPECT_EQ(big->software, "V255.0.128");
    EXPECT_FALSE(DecodeVersionsAnswer(Bytes{0x00, 0x01, 0x02, 0x03, 0x0A, 0x00}));
    EXPECT_FALSE(DecodeVersionsAnswer(Bytes{}));
}

TEST(DebugCmds, Arrangement)
{
    EXPECT_EQ(ArrangementPayload({16, 2, 50000}), (Bytes{0x53, 0x02, 0x5E, 0x04, 0x10, 0x02, 0xC3, 0x50}));
    auto a = DecodeArrangement(Bytes{0x00, 0x10, 0x02, 0xC3, 0x50});
    ASSERT_TRUE(a);
    EXPECT_EQ(a->series, 16);
    EXPECT_EQ(a->parallel, 2);
    EXPECT_EQ(a->capacity, 50000);
    EXPECT_FALSE(DecodeArrangement(Bytes{0x00, 0x10, 0x02, 0xC3}));
}

TEST(DebugCmds, SerialNumberWrite)
{
    Bytes abc = Concat({0x53, 0x02, 0x5B, 0x20, 0x41, 0x42, 0x43}, Bytes(29, 0x00));
    EXPECT_EQ(SnWritePayload("ABC"), abc);
    std::string longer(40, 'Z');
    Bytes cut = Concat({0x53, 0x02, 0x5B, 0x20}, Bytes(32, 'Z'));
    EXPECT_EQ(SnWritePayload(longer), cut);
    EXPECT_EQ(SnWritePayload("").size(), 4u + 32u);
}

TEST(DebugCmds, SerialNumberAnswerUsesTheLivePageRule)
{
    struct Case {
        Bytes data;
        const char *text;
    };
    Bytes twenty = Concat({0x00}, Bytes(20, 'A'));
    twenty.push_back(0x00);
    Bytes forty = Concat({0x00}, Bytes(40, 'B'));
    Bytes blankLate = Concat({0x00}, Bytes(17, 'C'));
    blankLate.push_back(' ');
    blankLate.push_back('D');
    const Case cases[] = {
        {{0x00, 0x41, 0x42, 0x00, 0x43}, "AB0C"},
        {twenty, "AAAAAAAAAAAAAAAAAAAA"},
        {forty, "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"}, // at most 32 bytes
        {blankLate, "CCCCCCCCCCCCCCCCC"},            // from the 17th byte on a blank ends it
        {{0x00, 0x20, 0x41}, "0A"},
        {{0x00}, ""},
        {{}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeSnAnswer(c.data), c.text);
}

TEST(DebugCmds, OpenCircuitVoltages)
{
    FourteenValues v{};
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::uint16_t>(3300 + i);
    EXPECT_EQ(OcvPayload(v), Concat({0x53, 0x02, 0x08, 0x1C}, Values14(3300)));

    auto decoded = DecodeOcv(Concat({0x00}, Values14(3300)));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, v);
    EXPECT_EQ(ValuesText(*decoded), "3300 3301 3302 3303 3304 3305 3306 3307 3308 3309 3310 3311 3312 3313 ");
    EXPECT_FALSE(DecodeOcv(Concat({0x00}, Bytes(26, 0))));
    EXPECT_FALSE(DecodeOcv(Concat({0x00}, Bytes(30, 0))));
}

TEST(DebugCmds, FourteenNumbersParsedPieceByPiece)
{
    const std::string ok = "1 2 3 4 5 6 7 8 9 10 11 12 13 65535";
    struct Case {
        std::string text;
        FourteenParse::Status status;
        std::size_t pieces;
        std::size_t refusedPiece;
        EditIntCheck check;
    };
    const Case cases[] = {
        {ok, FourteenParse::Ok, 14, 0, EditIntCheck::Ok},
        {"\t" + ok + "\r\n", FourteenParse::Ok, 14, 0, EditIntCheck::Ok},
        {"1 2 3 4 5 6 7 8 9 10 11 12 13", FourteenParse::WrongCount, 13, 0, EditIntCheck::Ok},
        {ok + " 1", FourteenParse::WrongCount, 15, 0, EditIntCheck::Ok},
        {"", FourteenParse::WrongCount, 0, 0, EditIntCheck::Ok},
        {"1 2 3 70000 5 6 7 8 9 10 11 12 13 14", FourteenParse::Refused, 14, 3, EditIntCheck::OutOfRange},
        {"1 2 3 4 5 6 7 8 9 10 11 12 13 1x", FourteenParse::Refused, 14, 13, EditIntCheck::Leftover},
        {"-1 2 3 4 5 6 7 8 9 10 11 12 13 14", FourteenParse::Refused, 14, 0, EditIntCheck::OutOfRange},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FourteenParse p = ParseFourteen(c.text);
        EXPECT_EQ(p.status, c.status);
        EXPECT_EQ(p.pieces, c.pieces);
        if (c.status == FourteenParse::Refused) {
            EXPECT_EQ(p.refusedPiece, c.refusedPiece);
            EXPECT_EQ(p.check, c.check);
        }
    }
    EXPECT_EQ(ParseFourteen(ok).values[13], 65535);
}

TEST(DebugCmds, FillInPrefillReadsLikeAtoi)
{
    auto v = FillInPrefill("5 12x abc -3");
    EXPECT_EQ(v[0], 5);
    EXPECT_EQ(v[1], 12);
    EXPECT_EQ(v[2], 0);
    EXPECT_EQ(v[3], -3);
    EXPECT_EQ(v[4], 0);
    auto many = FillInPrefill("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
    EXPECT_EQ(many[13], 14);
}

TEST(DebugCmds, ResistanceRequests)
{
    Measurement m;
    for (std::size_t i = 0; i < m.values.size(); ++i)
        m.values[i] = static_cast<std::uint16_t>(100 + i);
    m.current = -5000;
    m.index = 1;
    Bytes data = Concat(Values14(100), {0xFF, 0xFF, 0xEC, 0x78, 0x01});
    EXPECT_EQ(ResistanceWritePayload(ResistanceTable::Charge, m), Concat({0x53, 0x02, 0x07, 0x21}, data));
    EXPECT_EQ(ResistanceWritePayload(ResistanceTable::Discharge, m), Concat({0x53, 0x02, 0x06, 0x21}, data));
    EXPECT_EQ(ResistanceReadPayload(ResistanceTable::Charge, 1), (Bytes{0x53, 0x02, 0x10, 0x01, 0x01}));
    EXPECT_EQ(ResistanceReadPayload(ResistanceTable::Discharge, 0), (Bytes{0x53, 0x02, 0x09, 0x01, 0x00}));

    struct Code {
        std::uint8_t code;
        std::optional<ResistanceTable> table;
    };
    const Code codes[] = {{0x87, ResistanceTable::Charge},
                          {0x90, ResistanceTable::Charge},
                          {0x86, ResistanceTable::Discharge},
                          {0x89, ResistanceTable::Discharge},
                          {0x88, std::nullopt},
                          {0x91, std::nullopt}};
    for (const Code &c : codes)
        EXPECT_EQ(ResistanceTableOf(c.code), c.table) << int(c.code);
}

TEST(DebugCmds, ResistanceAnswers)
{
    auto full = DecodeResistance(Concat({0x00}, Concat(Values14(7), {0x00, 0x00, 0x13, 0x88, 0x01})));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->values[0], 7);
    EXPECT_EQ(full->values[13], 20);
    EXPECT_EQ(full->current, 5000);
    EXPECT_EQ(full->index, 1);

    // only the fourteen values (data length 29): index 0, no current
    auto values = DecodeResistance(Concat({0x00}, Values14(7)));
    ASSERT_TRUE(values);
    EXPECT_FALSE(values->current);
    EXPECT_EQ(values->index, 0);

    // values and part of the current: still no current
    auto partial = DecodeResistance(Concat({0x00}, Concat(Values14(7), {0x00, 0x00})));
    ASSERT_TRUE(partial);
    EXPECT_FALSE(partial->current);

    EXPECT_FALSE(DecodeResistance(Concat({0x00}, Bytes(27, 0))));
    EXPECT_FALSE(DecodeResistance(Bytes{}));

    EXPECT_EQ(TableListRow(ResistanceTable::Charge, 0), 0);
    EXPECT_EQ(TableListRow(ResistanceTable::Charge, 1), 1);
    EXPECT_EQ(TableListRow(ResistanceTable::Discharge, 0), 2);
    EXPECT_EQ(TableListRow(ResistanceTable::Discharge, 1), 3);
    EXPECT_FALSE(TableListRow(ResistanceTable::Charge, 2));
}

TEST(DebugCmds, TableListRowsForBulkWrites)
{
    const std::string r14 = "1 2 3 4 5 6 7 8 9 10 11 12 13 14";
    struct Case {
        const char *what;
        std::string current, resistances;
        bool valid;
    };
    const Case cases[] = {
        {"valid", "5000", r14, true},
        {"negative current", "-5000", r14, true},
        {"empty current", "", r14, false},
        {"empty values", "5000", "", false},
        {"13 numbers", "5000", "1 2 3 4 5 6 7 8 9 10 11 12 13", false},
        {"current with a unit", "5000mA", r14, false},
        {"current beyond 32 bits", "3000000000", r14, false},
        {"a value beyond 16 bits", "5000", "70000 2 3 4 5 6 7 8 9 10 11 12 13 14", false},
        {"a negative value", "5000", "-1 2 3 4 5 6 7 8 9 10 11 12 13 14", false},
        {"a value with a letter", "5000", "1 2 3 4 5 6 7 8 9 10 11 12 13 1a", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto m = ParseTableRow(c.current, c.resistances, 1);
        ASSERT_EQ(m.has_value(), c.valid);
        if (m) {
            EXPECT_EQ(m->index, 1);
            EXPECT_EQ(m->values[13], 14);
        }
    }
    EXPECT_EQ(ParseTableRow("-5000", r14, 0)->current, -5000);
}

TEST(DebugCmds, RegisterBlock)
{
    RegisterBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0xA0 + i);
    Bytes expected{0x53, 0x02, 0x5D, 0x14};
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(RegisterWritePayload(block), expected);

    // An answer of data length 5 changes only the first four bytes.
    Bytes answer{0x00, 0x01, 0x02, 0xAB, 0xFF};
    EXPECT_EQ(RegisterHexText(answer), "01 02 AB FF ");
    EXPECT_EQ(MergeRegisterAnswer(answer, block), 4u);
    EXPECT_EQ(block[0], 0x01);
    EXPECT_EQ(block[3], 0xFF);
    EXPECT_EQ(block[4], 0xA4);

    Bytes longer(1 + 25, 0x11);
    EXPECT_EQ(MergeRegisterAnswer(longer, block), 20u);
    EXPECT_EQ(block[19], 0x11);
    EXPECT_EQ(RegisterHexText(Bytes{0x00}), "");
    EXPECT_EQ(MergeRegisterAnswer(Bytes{}, block), 0u);
}

TEST(DebugCmds, UpgradeAnswerFromTheRepeater)
{
    EXPECT_TRUE(IsRepeaterExitAnswer(Bytes{0xFF}));
    EXPECT_FALSE(IsRepeaterExitAnswer(Bytes{0xFF, 0x00}));
    EXPECT_FALSE(IsRepeaterExitAnswer(Bytes{0x00}));
    EXPECT_FALSE(IsRepeaterExitAnswer(Bytes{}));
}

TEST(DebugCmds, FillInKinds)
{
    const FillInKind *ocv = FillInKindOf(1281);
    ASSERT_NE(ocv, nullptr);
    EXPECT_EQ(FillInTitle(*ocv), "设置开路电压");
    EXPECT_EQ(FillInLabel(*ocv, 1), "开路电压 1");
    EXPECT_EQ(ocv->count, 14);
    EXPECT_EQ(ocv->rowChkId, 1279);
    EXPECT_EQ(FillInKindOf(1065)->rowChkId, 1064);
    EXPECT_EQ(FillInKindOf(1255)->rowChkId, 1253);
    const FillInKind *reg = FillInKindOf(1184);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->count, kFillInBoxes);
    EXPECT_EQ(FillInValueText(*reg, 0x0A), "0A");
    EXPECT_EQ(FillInValueText(*ocv, -3), "-3");
    EXPECT_EQ(FillInKindOf(1000), nullptr);
}

TEST(DebugCmds, FillInValueChecks)
{
    const FillInKind &reg = *FillInKindOf(1184);
    const FillInKind &ocv = *FillInKindOf(1281);
    struct Case {
        const FillInKind *kind;
        const char *text;
        FillInCheck check;
        std::int32_t value;
    };
    const Case cases[] = {
        {&reg, "G1", FillInCheck::NotNumber, 0},  {&reg, "100", FillInCheck::OutOfRange, 0},
        {&reg, "ff", FillInCheck::Ok, 255},       {&reg, " 0a ", FillInCheck::Ok, 10},
        {&reg, "", FillInCheck::Empty, 0},        {&reg, "-1", FillInCheck::OutOfRange, 0},
        {&ocv, "65535", FillInCheck::Ok, 65535},  {&ocv, "65536", FillInCheck::OutOfRange, 0},
        {&ocv, "-1", FillInCheck::OutOfRange, 0}, {&ocv, "3.3", FillInCheck::NotNumber, 0},
        {&ocv, "ff", FillInCheck::NotNumber, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FillInValue v = ParseFillInValue(*c.kind, c.text);
        EXPECT_EQ(v.check, c.check);
        if (c.check == FillInCheck::Ok) {
            EXPECT_EQ(v.value, c.value);
        }
    }
}

// Every value the simulated boards show on the internal debug page fits the
// field that carries it, read as the field's declared type: the answers of
// both boards, taken from their real frames, field by field.
#include "common/sim_requests.h"
#include "protocol/debug_cmds.h"

using namespace simtest;

namespace {

// A field of an answer: where it starts after the result code, its declared
// wire type, and the values that make sense for what it carries.
struct WireField {
    const char *name;
    CommandId read;
    std::size_t offset;
    int width; // bytes, big-endian
    bool isSigned;
    long long min;
    long long max;
};

constexpr WireField kFields[] = {
    {"measured capacity (mAh)", kCmdMeasuredCapacityRead, 0, 2, true, 0, 32767},
    {"cells in series", kCmdArrangementRead, 0, 1, false, 1, 32},
    {"cells in parallel", kCmdArrangementRead, 1, 1, false, 1, 255},
    {"nominal capacity (mAh)", kCmdArrangementRead, 2, 2, false, 1, 65535},
    {"open-circuit voltage 1 (mV)", kCmdOcvRead, 0, 2, false, 1000, 5000},
    {"open-circuit voltage 14 (mV)", kCmdOcvRead, 26, 2, false, 1000, 5000},
};

long long FieldValue(const Bytes &body, const WireField &f)
{
    unsigned long long raw = 0;
    for (int i = 0; i < f.width; ++i)
        raw = (raw << 8) | body.at(f.offset + static_cast<std::size_t>(i));
    const int bits = 8 * f.width;
    if (f.isSigned && (raw >> (bits - 1)) != 0)
        return static_cast<long long>(raw) - (1LL << bits);
    return static_cast<long long>(raw);
}

} // namespace

class SimWireFields : public SimBoardTest {};

TEST_F(SimWireFields, EveryShownValueFitsItsField)
{
    options.secondary = true; // both demo boards answer
    for (const WireField &f : kFields) {
        const std::vector<SimBytes> answers = Board().Handle(FrameOfPayload(PlainRequest(f.read)));
        ASSERT_EQ(answers.size(), 2u) << f.name;
        for (std::size_t unit = 0; unit < answers.size(); ++unit) {
            const Bytes data = AnswerData(answers[unit], f.read, unit == 0 ? kLinkMain : kLinkSecondary);
            ASSERT_FALSE(data.empty()) << f.name;
            EXPECT_EQ(data[0], kResultOk) << f.name;
            const Bytes body = Body(data);
            ASSERT_GE(body.size(), f.offset + static_cast<std::size_t>(f.width)) << f.name;
            const long long v = FieldValue(body, f);
            EXPECT_GE(v, f.min) << f.name << " of board " << unit;
            EXPECT_LE(v, f.max) << f.name << " of board " << unit;
        }
    }
}

TEST_F(SimWireFields, ResistanceCurrentsKeepTheirDirection)
{
    options.secondary = true;
    for (ResistanceTable t : {ResistanceTable::Charge, ResistanceTable::Discharge})
        for (std::uint8_t index : {0, 1}) {
            const Payload request = ResistanceReadPayload(t, index);
            const std::vector<SimBytes> answers = Board().Handle(FrameOfPayload(request));
            ASSERT_EQ(answers.size(), 2u);
            for (std::size_t unit = 0; unit < answers.size(); ++unit) {
                const auto a = DecodeResistance(AnswerData(answers[unit], CommandId{request[1], request[2]},
                                                           unit == 0 ? kLinkMain : kLinkSecondary));
                ASSERT_TRUE(a && a->current);
                EXPECT_EQ(*a->current > 0, t == ResistanceTable::Charge);
                for (std::uint16_t mohm : a->values)
                    EXPECT_GT(mohm, 0);
            }
        }
}

// Small pages on the page framework, for the framework and main-window tests.
#pragma once

#include "app/framework/rowpagebase.h"
#include "app/pagesheet.h"
#include "common/frame_bytes.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include <array>
#include <cstring>
#include <vector>

struct TestRow {
    int chk, edit, led;
    VARTYPE vt;
    int min, max;
    std::uint8_t readCode, writeCode;
    int scale = 1; // on the wire, per entered unit
};

// Rows: plain unsigned 16-bit, a ×100 temperature box, unsigned 32-bit, a
// read-only row, and one row of each other kind.
inline const std::vector<TestRow> kTestRows = {
    {2001, 2002, 2003, VT_UI2, 1, 65535, 0x13, 0x12},         {1061, 1062, 1060, VT_I2, -32768, 32767, 0x27, 0x26, 100},
    {2011, 2012, 2013, VT_UINT, 0, -1, 0x67, 0x66},           {2021, 2022, 2023, VT_UI2, 0, 65535, 0x5A, 0x5B},
    {2031, 2032, 2033, VT_I1, -128, 127, 0x31, 0x30},         {2041, 2042, 2043, VT_UI1, 0, 255, 0x41, 0x40},
    {2051, 2052, 2053, VT_INT, INT_MIN, INT_MAX, 0x51, 0x50},
};

// A page with the rows above; it serves the routes given to it before it is
// added, and stands in for the page of the class named (it takes that page's
// place among the receivers of answers, and is internal when that page is).
class TestPage : public RowPageBase {
public:
    TestPage(PageHost *host, const char *standsFor = "WakeThresholdPage",
             const QString &caption = QStringLiteral("测试页"))
        : RowPageBase(host, caption, nullptr, AccessOf(standsFor))
    {
        setObjectName(QString::fromLatin1(standsFor));
    }

    static PageAccess AccessOf(const char *page)
    {
        for (const char *internal :
             {"InternalDebugPage", "SocLearningPage", "WakeThresholdPage", "AlarmProtectionPage"})
            if (std::strcmp(page, internal) == 0)
                return PageAccess::Internal;
        return PageAccess::Open;
    }

    std::vector<RxRoute> Routes() const override { return routes; }

    void ReadParams(int nChkID) override
    {
        ++reads;
        lastRead = nChkID;
        RunReadWalk(nChkID, Order(), [this](int chk) { return SendReadRequest(0x02, Row(chk).readCode); });
    }
    void WriteParams(int nChkID) override
    {
        ++writes;
        lastWrite = nChkID;
        RunWriteWalk(nChkID, Order(), [this](int chk) {
            const TestRow &r = Row(chk);
            return WriteParam(0x02, r.writeCode, r.edit, r.vt, r.min, r.max, r.scale);
        });
    }
    void InitReadOnly() override { AddReadOnly(2021); }
    // A row's own decoder (a route with a row) or a page operation (the status answers).
    void OnRoute(const RxRoute &route, const std::uint8_t *frame, int len) override
    {
        if (route.chk)
            decoded.push_back(route.chk);
        else
            status.emplace_back(frame, frame + len);
    }
    bool OnMessage(int msg, std::intptr_t wParam, std::intptr_t) override
    {
        messages.push_back({msg, wParam});
        return true;
    }

    void OnTimer(int id) override { timers.push_back(id); }

    static const TestRow &Row(int chk)
    {
        for (const TestRow &r : kTestRows)
            if (r.chk == chk)
                return r;
        return kTestRows[0];
    }

    // Rows with the ids the routing uses: check, edit, lamp, second edit (or 0).
    std::vector<std::array<int, 4>> extraRows;
    std::vector<RxRoute> routes;
    int reads = 0, writes = 0, lastRead = 0, lastWrite = 0;
    std::vector<int> decoded;
    std::vector<std::vector<std::uint8_t>> status;
    std::vector<std::pair<int, std::intptr_t>> messages;
    std::vector<int> timers;

protected:
    void OnInitDialog() override
    {
        auto *layout = new QVBoxLayout(this);
        auto *grid = new QGridLayout;
        int row = 0;
        for (const TestRow &r : kTestRows)
            AddParamRow(grid, row++, r.chk, QStringLiteral("参数%1：").arg(r.chk), {{r.edit}}, r.led);
        for (const auto &x : extraRows) {
            if (x[3])
                AddParamRow(grid, row++, x[0], QStringLiteral("参数%1：").arg(x[0]), {{x[1]}, {x[3]}}, x[2]);
            else
                AddParamRow(grid, row++, x[0], QStringLiteral("参数%1：").arg(x[0]), {{x[1]}}, x[2]);
        }
        layout->addLayout(grid);
        layout->addWidget(MakeParamButtons());
        RowPageBase::OnInitDialog();
    }

private:
    static std::vector<int> Order()
    {
        std::vector<int> order;
        for (const TestRow &r : kTestRows)
            order.push_back(r.chk);
        return order;
    }
};

// A response frame: 4D, link, class, code, N, data, sum, 0D 0A.
inline std::vector<std::uint8_t> Response(std::uint8_t cls, std::uint8_t code, std::vector<std::uint8_t> data,
                                          std::uint8_t link = 0x53)
{
    return BoardFrame(cls, code, data, link);
}

inline int LedState(LedLamp *led)
{
    if (led->ColourRow() == LedLamp::kRed)
        return LED_ERROR;
    return led->ColumnIndex() == LedLamp::kDark ? LED_IDLE : LED_OK;
}

// The pages of the sheet, in tab order.
#pragma once

enum PageKind {
    PAGE_TEN,        // "客户使用-1", live status
    PAGE_ELE,        // "客户使用-2", customer control
    PAGE_ONE,        // "中继器信息", repeater information
    PAGE_FOR,        // "内部调试", internal debug
    PAGE_FIV,        // "调试SOC学习", SOC learning
    PAGE_TWO,        // "唤醒与门限", wake-up and thresholds
    PAGE_THR,        // "报警与保护", alarm and protection
    PAGE_RECORD,     // "电池记录", battery records
    PAGE_LOG,        // "系统日志", system log
    PAGE_CELLLOG,    // "电池日志", battery log
    PAGE_CALCULATOR, // "计算器"
    PAGE_SERIALPORT, // "串口调试", terminal
    PAGE_COUNT
};

// The four pages that open only in internal debugging mode.
constexpr bool IsInnerPageKind(PageKind kind)
{
    return kind == PAGE_FOR || kind == PAGE_FIV || kind == PAGE_TWO || kind == PAGE_THR;
}

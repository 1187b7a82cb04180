// Daily diagnostic files in Log/ of the user's data folder: Log_RX (raw
// received bytes), Log (frames with a bad tail) and Log_info (port warnings,
// opening details, caught exceptions). Each write opens, appends and closes;
// the text is GBK. The status recordings and the crash files go to the same
// folder.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Local time of day in milliseconds, wrapping in 32 bits; only differences are used.
std::uint32_t MsOfDay();
// Replaces the clock MsOfDay reads (tests of a computer clock that is set);
// nullptr restores the local time.
void SetMsOfDaySource(std::uint32_t (*source)());
// Milliseconds of a clock that never goes back (not moved when the computer's
// clock is set); for measuring ages and deadlines.
std::int64_t MonotonicMs();

// "<folder><kind>_<yyyy-MM-dd>.<ext>" with the Log folder (or the current folder
// while the Log folder cannot be created).
QString LogFilePath(const QString &kind, const QString &extension);
// The folder the Log folder is created in: the user's data folder
// (QStandardPaths::AppDataLocation, ~/.local/share/Oramek/Pylvex) unless a
// test sets another; an empty folder restores that.
void SetLogBaseFolder(const QString &folder);
// The Log folder's full path (without a trailing slash), whether it exists yet or not.
QString LogFolder();
// Creates the Log folder when missing; false when it cannot be created.
bool MakeLogFolder();
// Appends GBK text to a file; false when it cannot be opened or written
// (then the d_assert line is recorded).
bool AppendGbk(const QString &path, const QString &text);
QByteArray ToGbk(const QString &text);

// One Log_info line (printf-style, UTF-8 format and arguments).
void LogInfo(const char *format, ...) __attribute__((format(printf, 1, 2)));
void LogInfoText(const QString &line);
// "PDU Miss Tail Flag: " + hex text, one Log line.
void LogMissTail(const std::uint8_t *bytes, std::size_t count);

// The Log_RX buffer: 32 bytes, one line per burst. A line is written when it
// holds 32 bytes, when its 200 ms have passed (FlushIfDue, driven by a timer
// of the owner, or the next byte), and when the port closes (Flush).
// Owned by the port's monitoring thread.
class LogRxBuffer {
public:
    static constexpr int kLineMs = 200;

    void LogRxByte(std::uint8_t byte);
    // Milliseconds until the pending line is due (0: due now); -1 when nothing is pending.
    int MsUntilDue() const;
    // Writes the pending line when its time has come.
    void FlushIfDue();
    // Writes the pending line now.
    void Flush();
    // Clock source for tests (milliseconds, only differences are used).
    void SetClock(std::uint32_t (*clock)()) { m_clock = clock; }

private:
    bool Due(std::uint32_t now) const { return m_count > 0 && static_cast<std::int32_t>(now - m_deadline) >= 0; }

    std::uint8_t m_buf[32] = {};
    std::size_t m_count = 0;
    std::uint32_t m_deadline = 0; // when the pending line is due
    std::uint32_t (*m_clock)() = [] { return static_cast<std::uint32_t>(MonotonicMs()); };
};

// The capture of the board link: while one runs, every frame a board port
// writes and every frame and stray byte run it receives goes into a pcapng
// file, with the time, the direction, and the port name and line settings of
// the opening it went over. One capture at a time for the whole process;
// it is started and stopped from any thread (the window, pylvexctl) while
// the port threads record into it. A capture file that cannot be written
// stops the capture; the link goes on.
#pragma once

#include "files/capturefile.h"
#include "link/serialline.h"
#include "protocol/rx_runs.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

class LinkCapture {
public:
    LinkCapture();
    ~LinkCapture();

    // Opens the file; false with the reason in ErrorText.
    bool Open(const QString &path);
    // The opening the following records come from.
    void SetPort(const QString &name, const LineSettings &settings);
    // Bytes the port wrote: a frame, or raw bytes as they were queued.
    void Sent(const std::uint8_t *bytes, std::size_t count);
    // Bytes of one read.
    void Received(const std::uint8_t *bytes, std::size_t count);
    // Writes what still waits of a partial frame and closes the file.
    void Close();

    const CaptureFile &File() const { return m_file; }
    QString ErrorText() const { return m_file.ErrorText(); }

    // Microseconds since 1970 on the system clock.
    static std::int64_t NowUs();
    // "/dev/ttyUSB0, 9600 8N1" and the like.
    static std::string PortDescription(const QString &name, const LineSettings &settings);

private:
    void Record(PcapngDirection direction, std::int64_t timeUs, std::span<const std::uint8_t> bytes);

    std::mutex m_lock; // orders the records of every port
    CaptureFile m_file;
    RxRunCutter m_rx;
    std::int64_t m_lastRxUs = 0;
};

// The capture the board ports record into; null while none runs.
std::shared_ptr<LinkCapture> CurrentLinkCapture();
// Starts recording into the capture (replacing one that runs, which is closed)
// or, with null, stops.
void SetLinkCapture(std::shared_ptr<LinkCapture> capture);
// What the board ports call where bytes leave and where they come in; they
// cost a look at the slot while no capture runs.
void CaptureSent(const std::uint8_t *bytes, std::size_t count);
void CaptureReceived(const std::uint8_t *bytes, std::size_t count);
// The port a board port opened last, so a capture started while it is open
// names it. Called by the board port on each opening.
void NoteCapturedPort(const QString &name, const LineSettings &settings);

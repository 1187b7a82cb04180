// A capture of the board link in a pcapng file: the section and interface
// descriptions, then one block per frame or stray byte run. Every block is
// written whole in one write and handed to the system at once, so a capture
// ended by a crash or a pulled cable is readable up to its last whole block.
// The first failed write closes the file; later records are not written and
// the error stays to be reported. Callable from any thread.
#pragma once

#include "protocol/pcapng.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <mutex>
#include <span>
#include <string>

class CaptureFile {
public:
    CaptureFile();
    ~CaptureFile();
    CaptureFile(const CaptureFile &) = delete;
    CaptureFile &operator=(const CaptureFile &) = delete;

    // Creates (or empties) the file and writes the section header; false with
    // the reason in ErrorText.
    bool Open(const QString &path);
    // The port the following records come from: a new interface block when
    // name or description differ from the current one.
    bool SetInterface(const std::string &name, const std::string &description);
    // One record; false once the capture has failed or is closed.
    bool Write(PcapngDirection direction, std::int64_t timeUs, std::span<const std::uint8_t> bytes);
    void Close();

    bool IsOpen() const;
    bool Failed() const;
    // Bytes in the file so far.
    std::int64_t Size() const;
    std::uint64_t Records() const;
    QString Path() const { return m_path; }
    // Why the capture failed (in words for the user); empty while it has not.
    QString ErrorText() const;

    // The comments the file carries: which link type its packets use and how.
    static std::string SectionComment();
    static std::string InterfaceComment();

private:
    bool WriteBlock(const PcapngBytes &block);

    mutable std::mutex m_lock;
    QFile m_file;
    QString m_path;
    bool m_failed = false;
    QString m_error;
    std::int64_t m_size = 0;
    std::uint64_t m_records = 0;
    int m_interfaces = 0;
    std::string m_ifName;
    std::string m_ifDescription;
};

#include "files/capturefile.h"

#include "files/fileerror.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>

CaptureFile::CaptureFile() = default;

CaptureFile::~CaptureFile()
{
    Close();
}

std::string CaptureFile::SectionComment()
{
    return "Pylvex board link capture. Packets use LINKTYPE_USER0 (147): each packet is one frame "
           "(4D, link byte, class, code, N, data, 16-bit sum low byte first, 0D 0A) or a run of stray "
           "bytes, as sent (outbound) or received (inbound) by the host tool.";
}

std::string CaptureFile::InterfaceComment()
{
    return "LINKTYPE_USER0 (147): Pylvex board frames";
}

bool CaptureFile::Open(const QString &path)
{
    std::lock_guard lock(m_lock);
    m_path = path;
    m_file.setFileName(path);
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_failed = true;
        m_error =
            QCoreApplication::translate("CaptureFile", "无法创建抓包文件 %1：%2").arg(path, FileErrorReason(errno));
        return false;
    }
    return WriteBlock(PcapngSectionHeader(SectionComment()));
}

bool CaptureFile::WriteBlock(const PcapngBytes &block)
{
    if (m_failed || !m_file.isOpen())
        return false;
    errno = 0;
    const qint64 n = m_file.write(reinterpret_cast<const char *>(block.data()), static_cast<qint64>(block.size()));
    if (n != static_cast<qint64>(block.size()) || !m_file.flush()) {
        const int error = errno;
        m_failed = true;
        m_error = QCoreApplication::translate("CaptureFile", "抓包文件 %1 写入失败，抓包已停止：%2")
                      .arg(m_path, FileErrorReason(error));
        m_file.close();
        return false;
    }
    m_size += n;
    return true;
}

bool CaptureFile::SetInterface(const std::string &name, const std::string &description)
{
    std::lock_guard lock(m_lock);
    if (m_interfaces > 0 && name == m_ifName && description == m_ifDescription)
        return !m_failed;
    if (!WriteBlock(PcapngInterface(kLinkTypeUser0, name, description, InterfaceComment())))
        return false;
    ++m_interfaces;
    m_ifName = name;
    m_ifDescription = description;
    return true;
}

bool CaptureFile::Write(PcapngDirection direction, std::int64_t timeUs, std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(m_lock);
    if (m_interfaces == 0 && !m_failed && m_file.isOpen()) {
        // Records before any port was named still need an interface.
        if (!WriteBlock(PcapngInterface(kLinkTypeUser0, "", "", InterfaceComment())))
            return false;
        m_interfaces = 1;
    }
    const auto time = static_cast<std::uint64_t>(timeUs < 0 ? 0 : timeUs);
    if (!WriteBlock(PcapngPacket(static_cast<std::uint32_t>(m_interfaces - 1), time, direction, bytes)))
        return false;
    ++m_records;
    return true;
}

void CaptureFile::Close()
{
    std::lock_guard lock(m_lock);
    if (m_file.isOpen())
        m_file.close();
}

bool CaptureFile::IsOpen() const
{
    std::lock_guard lock(m_lock);
    return m_file.isOpen();
}

bool CaptureFile::Failed() const
{
    std::lock_guard lock(m_lock);
    return m_failed;
}

std::int64_t CaptureFile::Size() const
{
    std::lock_guard lock(m_lock);
    return m_size;
}

std::uint64_t CaptureFile::Records() const
{
    std::lock_guard lock(m_lock);
    return m_records;
}

QString CaptureFile::ErrorText() const
{
    std::lock_guard lock(m_lock);
    return m_error;
}

#include "link/linkcapture.h"

#include <chrono>

namespace {

// A partial frame left waiting longer than this before more bytes came was
// no frame: the framer of the port gives such bytes up after its quiet time.
constexpr std::int64_t kGiveUpUs = 200 * 1000;

struct Slot {
    std::mutex lock;
    std::shared_ptr<LinkCapture> capture;
    QString portName;
    LineSettings settings;
    bool portKnown = false;
};

Slot &TheSlot()
{
    static Slot slot;
    return slot;
}

} // namespace

LinkCapture::LinkCapture()
    : m_rx([this](std::span<const std::uint8_t> bytes, std::int64_t timeUs, bool) {
          m_file.Write(PcapngDirection::Inbound, timeUs, bytes);
      })
{
}

LinkCapture::~LinkCapture()
{
    Close();
}

std::int64_t LinkCapture::NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

std::string LinkCapture::PortDescription(const QString &name, const LineSettings &settings)
{
    static const char kStop[][4] = {"1", "1.5", "2"};
    const int stop = settings.stopBits >= 0 && settings.stopBits <= 2 ? settings.stopBits : 0;
    return QStringLiteral("%1, %2 %3%4%5")
        .arg(name)
        .arg(settings.baud)
        .arg(settings.dataBits)
        .arg(QChar::fromLatin1(settings.parity))
        .arg(QString::fromLatin1(kStop[stop]))
        .toStdString();
}

bool LinkCapture::Open(const QString &path)
{
    std::lock_guard lock(m_lock);
    return m_file.Open(path);
}

void LinkCapture::SetPort(const QString &name, const LineSettings &settings)
{
    std::lock_guard lock(m_lock);
    m_rx.Flush();
    m_file.SetInterface(name.toStdString(), PortDescription(name, settings));
}

void LinkCapture::Sent(const std::uint8_t *bytes, std::size_t count)
{
    const std::int64_t now = NowUs();
    std::lock_guard lock(m_lock);
    m_rx.Flush(); // the port gives up a partial frame when it writes
    m_file.Write(PcapngDirection::Outbound, now, {bytes, count});
}

void LinkCapture::Received(const std::uint8_t *bytes, std::size_t count)
{
    const std::int64_t now = NowUs();
    std::lock_guard lock(m_lock);
    if (m_rx.Waiting() > 0 && now - m_lastRxUs > kGiveUpUs)
        m_rx.Flush();
    m_lastRxUs = now;
    m_rx.Feed({bytes, count}, now);
}

void LinkCapture::Close()
{
    std::lock_guard lock(m_lock);
    m_rx.Flush();
    m_file.Close();
}

std::shared_ptr<LinkCapture> CurrentLinkCapture()
{
    Slot &slot = TheSlot();
    std::lock_guard lock(slot.lock);
    return slot.capture;
}

void SetLinkCapture(std::shared_ptr<LinkCapture> capture)
{
    Slot &slot = TheSlot();
    std::shared_ptr<LinkCapture> old;
    {
        std::lock_guard lock(slot.lock);
        old = std::exchange(slot.capture, capture);
        if (capture && slot.portKnown)
            capture->SetPort(slot.portName, slot.settings);
    }
    if (old && old != capture)
        old->Close();
}

void NoteCapturedPort(const QString &name, const LineSettings &settings)
{
    Slot &slot = TheSlot();
    std::shared_ptr<LinkCapture> capture;
    {
        std::lock_guard lock(slot.lock);
        slot.portName = name;
        slot.settings = settings;
        slot.portKnown = true;
        capture = slot.capture;
    }
    if (capture)
        capture->SetPort(name, settings);
}

void CaptureSent(const std::uint8_t *bytes, std::size_t count)
{
    if (std::shared_ptr<LinkCapture> capture = CurrentLinkCapture(); capture && count > 0)
        capture->Sent(bytes, count);
}

void CaptureReceived(const std::uint8_t *bytes, std::size_t count)
{
    if (std::shared_ptr<LinkCapture> capture = CurrentLinkCapture(); capture && count > 0)
        capture->Received(bytes, count);
}

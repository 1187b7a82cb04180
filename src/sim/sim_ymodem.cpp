#include "sim/sim_ymodem.h"

#include "protocol/crc16.h"
#include "protocol/ymodem.h"
#include "sim/sim_upgrade.h"

#include <cstdlib>
#include <cstring>

SimYModemLoader::SimYModemLoader(const SimOptions &options, LoaderMode mode, std::int64_t nowMs)
    : m_options(options), m_mode(mode), m_nextCMs(nowMs + kRestartMs)
{
}

std::optional<std::int64_t> SimYModemLoader::NextDueMs() const
{
    if (m_state != State::Block0)
        return std::nullopt;
    return m_nextCMs;
}

void SimYModemLoader::Poll(std::int64_t nowMs, std::vector<SimBytes> &out)
{
    if (m_state != State::Block0 || nowMs < m_nextCMs || m_expect != 0)
        return;
    if (++m_cRounds > kMaxCRounds) {
        m_state = State::Ended; // nobody sends: back to the application
        return;
    }
    const int count = m_cRounds == 1 ? std::max(m_options.ymCRepeat, 1) : 1;
    Answer(out, SimBytes(static_cast<std::size_t>(count), kYmC));
    m_nextCMs = nowMs + kCIntervalMs;
}

bool SimYModemLoader::FeedByte(std::uint8_t byte, std::vector<SimBytes> &out)
{
    if (m_state == State::Ended)
        return false;
    if (m_expect == 0) {
        switch (byte) {
        case kYmSoh: m_expect = kYmSmallPacket; break;
        case kYmStx: m_expect = kYmLargePacket; break;
        case kYmEot:
            if (m_state != State::Data)
                return true; // a stray EOT is ignored
            if (++m_eots == 1) {
                Answer(out, {kYmNak});
            } else {
                Answer(out, {kYmAck, kYmC});
                m_state = State::End;
            }
            return true;
        case kYmCan: m_state = State::Ended; return true; // the sender cancelled
        default:
            if (m_mode == LoaderMode::Raw) {
                m_state = State::Ended;
                return false;
            }
            return true; // noise inside a wrapped chunk
        }
        m_packet.clear();
    }
    m_packet.push_back(byte);
    if (m_packet.size() == m_expect) {
        m_expect = 0;
        OnPacket(out);
    }
    return true;
}

void SimYModemLoader::FeedChunk(std::span<const std::uint8_t> bytes, std::vector<SimBytes> &out)
{
    for (std::uint8_t b : bytes)
        FeedByte(b, out);
}

void SimYModemLoader::OnPacket(std::vector<SimBytes> &out)
{
    const std::size_t n = m_packet.size() - 5;
    const std::uint16_t crc = Crc16Xmodem(m_packet.data() + 3, n);
    const bool sound = m_packet[1] == static_cast<std::uint8_t>(0xFF - m_packet[2]) && m_packet[3 + n] == (crc >> 8) &&
                       m_packet[4 + n] == (crc & 0xFF);
    if (!sound) {
        Answer(out, {kYmNak});
        return;
    }
    const std::uint8_t no = m_packet[1];
    const std::uint8_t *data = m_packet.data() + 3;
    if (m_state == State::Block0 || m_state == State::End) {
        if (no != 0 || n != kYmSmallBlock) {
            Answer(out, {kYmNak});
            return;
        }
        if (m_state == State::End) {
            Answer(out, {kYmAck});
            m_state = State::Ended;
            if (data[0] == 0) { // the empty block ends the batch
                m_completed = true;
                m_image.resize(static_cast<std::size_t>(std::min<long long>(m_size, m_image.size())));
                StoreReceivedImage(m_options, m_image);
            }
            return;
        }
        m_name.assign(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), n));
        const std::size_t at = m_name.size() + 1;
        m_size = at < n ? std::atoll(std::string(reinterpret_cast<const char *>(data + at),
                                                 strnlen(reinterpret_cast<const char *>(data + at), n - at))
                                         .c_str())
                        : 0;
        m_state = State::Data;
        Answer(out, {kYmAck, kYmC});
        return;
    }
    // A data block.
    if (no == static_cast<std::uint8_t>(m_nextBlock - 1) && m_blocks > 0) {
        Answer(out, {kYmAck}); // our ACK got lost: it has been stored already
        return;
    }
    if (no != m_nextBlock) {
        Answer(out, {kYmCan, kYmCan});
        m_state = State::Ended;
        return;
    }
    const long long index = m_blocks + 1;
    if (index == m_options.ymCanBlock) {
        Answer(out, {kYmCan, kYmCan});
        m_state = State::Ended;
        return;
    }
    if (index == m_options.ymNakBlock && !m_nakSent) {
        m_nakSent = true;
        Answer(out, {kYmNak});
        return;
    }
    if (index == m_options.ymDropAckBlock && !m_ackDropped) {
        m_ackDropped = true; // stored by the sender's resend
        return;
    }
    m_image.insert(m_image.end(), data, data + n);
    ++m_blocks;
    ++m_nextBlock;
    Answer(out, {kYmAck});
}

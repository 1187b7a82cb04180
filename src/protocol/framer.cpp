#include "protocol/framer.h"

#include "protocol/dassert.h"
#include "protocol/frame.h"

#include <cstring>
#include <utility>

RxFramer::RxFramer(FrameSink onFrame, MissTailSink onMissTail, std::size_t minimum)
    : m_onFrame(std::move(onFrame)), m_onMissTail(std::move(onMissTail)),
      m_minimum(minimum < kFrameMinLen ? kFrameMinLen : minimum)
{
}

void RxFramer::Reset()
{
    m_read = 0;
    m_write = 0;
}

bool RxFramer::MakeRoom()
{
    if (m_write < kBufferSize)
        return true;
    if (m_read == m_write) {
        m_read = m_write = 0;
    } else if (m_read > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_read, m_write - m_read);
        m_write -= m_read;
        m_read = 0;
    }
    return m_write < kBufferSize;
}

bool RxFramer::StoreByte(std::uint8_t byte)
{
    int tmpRet = MakeRoom() ? 1 : 0;
    d_assert(tmpRet == 1);
    if (tmpRet != 1)
        return false;
    m_buf[m_write++] = byte;
    Cut();
    return true;
}

void RxFramer::Cut()
{
    while (m_write - m_read >= m_minimum) {
        const std::uint8_t *p = m_buf.data() + m_read;
        if (p[0] != kFrameHead || (p[1] & 0x7F) != kLinkMain) {
            ++m_read;
            continue;
        }
        std::size_t length = static_cast<std::size_t>(p[4]) + 9;
        if (m_write - m_read < length)
            return;
        if (p[length - 2] == 0x0D && p[length - 1] == 0x0A) {
            bool bAdd = m_onFrame ? m_onFrame(p, length) : true;
            d_assert(bAdd);
            if (!bAdd)
                return; // kept; the next byte retries
            // Frames held back behind a false head come out together, not one per later byte.
            m_read += length;
            continue;
        }
        if (m_onMissTail)
            m_onMissTail(p, length);
        ++m_read;
    }
}

std::size_t RxFramer::CompleteFrameAtRead() const
{
    std::size_t unread = m_write - m_read;
    const std::uint8_t *p = m_buf.data() + m_read;
    if (unread < kFrameMinLen || p[0] != kFrameHead || (p[1] & 0x7F) != kLinkMain)
        return 0;
    std::size_t length = static_cast<std::size_t>(p[4]) + 9;
    if (unread < length || p[length - 2] != 0x0D || p[length - 1] != 0x0A)
        return 0;
    return length;
}

void RxFramer::OnQuiet()
{
    // A complete frame shorter than the minimum keeps waiting for one more
    // byte, as it does on a busy line; anything else that waits is given up.
    Cut(); // a frame the sink refused before is tried again
    while (m_write > m_read && CompleteFrameAtRead() == 0) {
        ++m_read; // a false head, a partial frame or a stray byte
        Cut();
    }
}

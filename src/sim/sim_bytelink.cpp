#include "sim/sim_bytelink.h"

#include <algorithm>
#include <optional>

SimByteLink::SimByteLink(std::shared_ptr<SimLink> board, const SimOptions &options, QObject *parent)
    : ByteLink(parent), m_board(std::move(board)), m_options(options)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SimByteLink::OnTimer);
    m_clock.start();
}

SimByteLink::SimByteLink(const SimOptions &options, QObject *parent)
    : SimByteLink(std::make_shared<SimLink>(options), options, parent)
{
}

SimByteLink::~SimByteLink() = default;

bool SimByteLink::Open()
{
    if (!m_board) {
        m_error = QStringLiteral("no board");
        return false;
    }
    m_open = true;
    m_error.clear();
    Arm();
    return true;
}

void SimByteLink::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_timer.stop();
    m_queue.clear();
    m_board->Reset();
    emit Closed();
}

qint64 SimByteLink::Write(const QByteArray &bytes)
{
    if (!m_open)
        return -1;
    m_lastByteMs = m_clock.elapsed();
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    Schedule(m_board->Feed({data, static_cast<std::size_t>(bytes.size())}));
    Arm();
    return bytes.size();
}

// Each answer waits the answer delay, never overtaking the one before it; with
// a byte delay it goes out one byte at a time.
void SimByteLink::Schedule(std::vector<SimBytes> chunks)
{
    for (SimBytes &chunk : chunks) {
        qint64 due = std::max(m_clock.elapsed() + m_options.answerDelayMs, m_lastDueMs);
        if (m_options.byteDelayMs > 0) {
            for (std::uint8_t b : chunk) {
                m_queue.push_back({due, QByteArray(1, static_cast<char>(b))});
                m_lastDueMs = due;
                due += m_options.byteDelayMs;
            }
        } else {
            m_queue.push_back(
                {due, QByteArray(reinterpret_cast<const char *>(chunk.data()), static_cast<qsizetype>(chunk.size()))});
            m_lastDueMs = due;
        }
    }
}

void SimByteLink::OnTimer()
{
    if (!m_open)
        return;
    Schedule(m_board->Poll());
    const qint64 now = m_clock.elapsed();
    if (m_board->Waiting() > 0 && now - m_lastByteMs >= SimQuietTimeMs(m_options.baud))
        Schedule(m_board->Quiet());
    // One delivery per due answer, as a port hands over what has arrived.
    while (m_open && !m_queue.empty() && m_queue.front().dueMs <= now) {
        QByteArray bytes = std::move(m_queue.front().bytes);
        m_queue.pop_front();
        emit BytesReceived(bytes);
    }
    Arm();
}

// The next time something is due: a queued answer, a frame the board sends by
// itself, or the end of the quiet time.
void SimByteLink::Arm()
{
    if (!m_open)
        return;
    const qint64 now = m_clock.elapsed();
    std::optional<qint64> wait;
    auto consider = [&wait](qint64 ms) { wait = wait ? std::min(*wait, ms) : ms; };
    if (!m_queue.empty())
        consider(std::max<qint64>(0, m_queue.front().dueMs - now));
    if (std::optional<std::int64_t> due = m_board->NextDueMs())
        consider(std::clamp<qint64>(*due - m_board->Board().NowMs(), 0, 60000));
    if (m_board->Waiting() > 0)
        consider(std::max<qint64>(0, m_lastByteMs + SimQuietTimeMs(m_options.baud) - now));
    if (wait)
        m_timer.start(static_cast<int>(*wait));
    else
        m_timer.stop();
}

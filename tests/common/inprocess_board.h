// The simulated board in the test's own process, reached through the board
// port's in-process link: no pseudo-terminal and no port thread. The window's
// port runs its pacing, framing and messages as over a device, on the test's
// event loop. Reopening the port reaches the same board.
#pragma once

#include "link/boardport.h"
#include "sim/sim_bytelink.h"

#include <QString>

#include <memory>

class InProcessBoard {
public:
    // The name the port is opened by; any name serves once the link is set.
    static QString Device() { return QStringLiteral("simulated-board"); }

    // Every later opening of port runs over a link to this board.
    bool Attach(BoardPort &port, const SimOptions &options = {})
    {
        m_options = options;
        m_board = std::make_shared<SimLink>(options);
        std::shared_ptr<SimLink> board = m_board;
        port.SetLinkMaker(
            [board, options](const QString &, const LineSettings &line) -> std::unique_ptr<ByteLink> {
                SimOptions atRate = options; // the board answers at the rate the port opens with
                atRate.baud = line.baud;
                return std::make_unique<SimByteLink>(board, atRate);
            },
            false);
        return true;
    }

    // Requests with a sound checksum the board has seen.
    std::uint64_t Requests() const { return m_board ? m_board->Requests() : 0; }
    SimLink *Board() { return m_board.get(); }
    QString ErrorString() const { return m_board ? QString() : QStringLiteral("no board attached"); }
    void Stop() {}

private:
    SimOptions m_options;
    std::shared_ptr<SimLink> m_board;
};

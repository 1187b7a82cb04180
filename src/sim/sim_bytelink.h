// The simulated board as a byte link in the same process: what is written is
// handed to the board's I/O-free side at once, and its answers come back as
// BytesReceived from the event loop of the link's thread (never inside
// Write), in the order a port would deliver them. No pseudo-terminal and no
// thread of its own. The timing faults apply as on a pseudo-terminal (answer
// delay, byte-by-byte answers), the board's own frames go out when due, and
// bytes that form no request are given up after the board's quiet time.
//
// The board may outlive the link: links made one after the other over the
// same board see one board, as a port opened again does. Closing the link
// forgets what the board had received and not yet answered.
#pragma once

#include "link/bytelink.h"
#include "sim/sim_link.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>

class SimByteLink : public ByteLink {
    Q_OBJECT
public:
    SimByteLink(std::shared_ptr<SimLink> board, const SimOptions &options, QObject *parent = nullptr);
    // A board of its own, made with the options.
    explicit SimByteLink(const SimOptions &options = {}, QObject *parent = nullptr);
    ~SimByteLink() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    qint64 Write(const QByteArray &bytes) override;
    QString ErrorText() const override { return m_error; }

    SimLink &Board() { return *m_board; }

private:
    struct Pending {
        qint64 dueMs;
        QByteArray bytes;
    };
    void Schedule(std::vector<SimBytes> chunks);
    void OnTimer();
    void Arm();

    std::shared_ptr<SimLink> m_board;
    SimOptions m_options;
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::deque<Pending> m_queue;
    qint64 m_lastDueMs = 0;
    qint64 m_lastByteMs = 0;
    bool m_open = false;
    QString m_error;
};

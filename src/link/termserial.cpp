#include "link/termserial.h"

#include "link/handover.h"
#include "link/portdiscovery.h"
#include "link/serialline.h"

#include <QSerialPort>

#include <semaphore>

namespace {

constexpr char kParityLetters[] = {'N', 'O', 'E'};

// One and a half stop bits exist only with five data bits; otherwise the
// port runs with one, as the board port does, and says so.
bool IsStopBitsFallback(const TermLineSettings &s)
{
    return s.stopIndex == 1 && s.dataBits != 5;
}

LineSettings LineOf(const TermLineSettings &s)
{
    LineSettings line;
    line.baud = s.baud;
    line.dataBits = s.dataBits;
    line.stopBits = IsStopBitsFallback(s) ? 0 : s.stopIndex;
    line.parity = s.parityIndex >= 0 && s.parityIndex < 3 ? kParityLetters[s.parityIndex] : '?';
    return line;
}

} // namespace

// Owns the QSerialPort inside the link's thread; reports back to the link by
// queued calls that carry the link's generation, so that news from an
// earlier opening is never taken for the current one.
class TermSerialWorker : public QObject {

public:
    TermSerialWorker(TermSerialLink *link, unsigned generation, const TermLineSettings &settings)
        : m_link(link), m_generation(generation), m_settings(settings)
    {
    }

    bool Open(QString *error, QString *warning)
    {
        m_port.setPortName(PortDevicePath(m_settings.port));
        if (!m_port.open(QIODevice::ReadWrite)) {
            *error = m_port.errorString();
            return false;
        }
        // A device that refuses the line settings is not used with others.
        QString call, reason;
        if (!ApplyLineSettings(m_port, LineOf(m_settings), &call, &reason)) {
            *error = reason;
            m_port.close();
            return false;
        }
        if (IsStopBitsFallback(m_settings))
            *warning = QStringLiteral("1.5 stop bits need 5 data bits; one stop bit is used");
        // Both modem lines start low; a device without them is no failure.
        m_port.setDataTerminalReady(false);
        m_port.setRequestToSend(false);
        m_port.clearError();
        m_port.clear(QSerialPort::AllDirections);
        connect(&m_port, &QSerialPort::readyRead, this, [this] { OnReadyRead(); });
        connect(&m_port, &QSerialPort::bytesWritten, this, [this](qint64 n) { Post(&Link::Written, n); });
        connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { OnError(e); });
        return true;
    }

    void Write(const QByteArray &bytes)
    {
        if (m_lost || !m_port.isOpen())
            return;
        if (m_port.write(bytes) != bytes.size() && !m_lost)
            Lose(m_port.errorString());
    }

    bool SetLine(bool dtr, bool on, QString *error)
    {
        if (m_lost || !m_port.isOpen()) {
            *error = QStringLiteral("port closed");
            return false;
        }
        bool ok = dtr ? m_port.setDataTerminalReady(on) : m_port.setRequestToSend(on);
        if (!ok) {
            *error = m_port.errorString();
            m_port.clearError();
        }
        return ok;
    }

    void Shutdown()
    {
        if (m_port.isOpen())
            m_port.close();
    }

private:
    // The link's entry points that the worker reaches by queued calls.
    struct Link {
        static void Received(TermSerialLink *l, unsigned g, const QByteArray &b) { l->OnReceived(g, b); }
        static void Written(TermSerialLink *l, unsigned g, qint64 n) { l->OnWritten(g, n); }
        static void Lost(TermSerialLink *l, unsigned g, const QString &t) { l->OnLost(g, t); }
    };

    template <typename F, typename Arg> void Post(F call, const Arg &arg)
    {
        TermSerialLink *link = m_link;
        unsigned generation = m_generation;
        InvokeQueued(link, [link, generation, arg, call] { call(link, generation, arg); });
    }

    void OnReadyRead()
    {
        if (m_lost)
            return;
        QByteArray bytes = m_port.readAll();
        if (!bytes.isEmpty())
            Post(&Link::Received, bytes);
    }

    void OnError(QSerialPort::SerialPortError error)
    {
        if (m_lost || !m_port.isOpen() || !IsLostLinkError(error))
            return;
        Lose(m_port.errorString());
    }

    // A pulled device repeats its error while the port stays open: close it
    // once, outside the port's own signal, and tell the link once.
    void Lose(const QString &text)
    {
        m_lost = true;
        Post(&Link::Lost, text);
        QMetaObject::invokeMethod(
            this, [this] { Shutdown(); }, Qt::QueuedConnection);
    }

    TermSerialLink *m_link;
    unsigned m_generation;
    TermLineSettings m_settings;
    QSerialPort m_port;
    bool m_lost = false;
};

class TermSerialLink::Thread : public QThread {
public:
    Thread(TermSerialLink *link, unsigned generation, const TermLineSettings &settings)
        : m_link(link), m_generation(generation), m_settings(settings)
    {
    }

    bool WaitOpened(QString *error, QString *warning)
    {
        m_opened.acquire();
        *error = m_error;
        *warning = m_warning;
        return m_worker != nullptr;
    }
    // Valid from a successful WaitOpened() until the thread is asked to quit.
    TermSerialWorker *Worker() const { return m_worker; }

protected:
    void run() override
    {
        TermSerialWorker worker(m_link, m_generation, m_settings);
        bool ok = worker.Open(&m_error, &m_warning);
        if (ok)
            m_worker = &worker;
        m_opened.release();
        if (!ok)
            return;
        exec();
        worker.Shutdown();
        HandOverRelease(this); // the owner joins with wait()
    }

private:
    TermSerialLink *m_link;
    unsigned m_generation;
    TermLineSettings m_settings;
    std::binary_semaphore m_opened{0};
    TermSerialWorker *m_worker = nullptr;
    QString m_error;
    QString m_warning;
};

TermSerialLink::TermSerialLink(QObject *parent) : TermLink(parent) {}

TermSerialLink::~TermSerialLink()
{
    Stop();
}

bool TermSerialLink::Open()
{
    Close();
    m_error.clear();
    ++m_generation;
    m_pending = 0;
    m_thread = std::make_unique<Thread>(this, m_generation, m_settings);
    m_thread->start();
    QString warning;
    if (!m_thread->WaitOpened(&m_error, &warning)) {
        m_thread->wait();
        m_thread.reset();
        return false;
    }
    m_open = true;
    emit Opened();
    if (!warning.isEmpty())
        emit ErrorOccurred(warning, false);
    return true;
}

void TermSerialLink::Stop()
{
    if (!m_thread)
        return;
    m_thread->quit();
    m_thread->wait();
    HandOverAcquire(m_thread.get()); // the thread has ended
    m_thread.reset();
    m_pending = 0;
}

void TermSerialLink::Close()
{
    Stop();
    if (!m_open)
        return;
    m_open = false;
    emit Closed();
}

qint64 TermSerialLink::Write(const QByteArray &bytes)
{
    if (!m_open || !m_thread)
        return -1;
    TermSerialWorker *worker = m_thread->Worker();
    m_pending += bytes.size();
    InvokeQueued(worker, [worker, bytes] { worker->Write(bytes); });
    return bytes.size();
}

bool TermSerialLink::SetDtr(bool on)
{
    return SetLine(true, on);
}

bool TermSerialLink::SetRts(bool on)
{
    return SetLine(false, on);
}

bool TermSerialLink::SetLine(bool dtr, bool on)
{
    QString error = QStringLiteral("port closed");
    bool ok = false;
    if (m_open && m_thread) {
        TermSerialWorker *worker = m_thread->Worker();
        QMetaObject::invokeMethod(worker, HandOverCall([worker, dtr, on, &error, &ok] {
                                      ok = worker->SetLine(dtr, on, &error);
                                      HandOverRelease(&ok); // the caller reads both once the call is done
                                  }),
                                  Qt::BlockingQueuedConnection);
        HandOverAcquire(&ok);
    }
    if (!ok) {
        m_error = error;
        emit ErrorOccurred(error, false);
    }
    return ok;
}

void TermSerialLink::OnReceived(unsigned generation, const QByteArray &bytes)
{
    if (generation != m_generation || !m_open)
        return;
    emit BytesReceived(bytes);
    emit PeerBytesReceived(QString(), bytes);
}

void TermSerialLink::OnWritten(unsigned generation, qint64 count)
{
    if (generation != m_generation || !m_open)
        return;
    m_pending -= count;
    if (m_pending < 0)
        m_pending = 0;
    emit BytesWritten(count);
}

void TermSerialLink::OnLost(unsigned generation, const QString &text)
{
    if (generation != m_generation || !m_open)
        return;
    m_error = text;
    emit ErrorOccurred(text, true);
    Close();
}

// The framer's corners, chosen by the first input bytes: a body repeated past
// the 4096-byte buffer (its compaction), a receive queue of limited size that
// refuses frames while the window does not take them off (the frame stays, the
// buffer fills, bytes are lost once 4096 wait), the missing-tail callback,
// the minimum of the board (9) or the tool (10), quiet times and resets at
// chosen places. The framer runs against a plain model that keeps every byte
// it was given in one growing array (no compaction, no reuse), and everything
// the framer does must match it: each frame handed over and each missing tail
// reported (bytes and order), each byte taken or lost, the unread count.
#include "fuzz_link_check.h"

#include "protocol/dassert.h"
#include "protocol/frame_queue.h"

namespace {

struct Options {
    std::size_t minimum = RxFramer::kToolMinimum;
    bool missTailSink = false;
    std::size_t queueLimit = 0; // frames the queue takes before it refuses; 0: no limit
    unsigned refuseEvery = 0;   // the sink also refuses every n-th offer; 0: never
    std::size_t drainEvery = 0; // bytes between two drains of the queue; 0: never
};

// What the framer reported, in order: 'F' a frame taken, 'R' a frame
// refused, 'T' a missing tail; with the bytes.
// The bytes stay where the framer or the model holds them until both have
// been compared, after the byte (or quiet time) that caused them.
struct Event {
    char kind;
    const std::uint8_t *p;
    std::size_t n;
    bool operator==(const Event &o) const { return kind == o.kind && n == o.n && std::memcmp(p, o.p, n) == 0; }
};

// Decides whether an offered frame is taken; the framer's and the model's
// sinks each have one, so both see the same answers as long as both offer
// the same frames in the same order.
struct Receiver {
    const Options *options = nullptr;
    std::vector<Event> *events = nullptr;
    std::size_t queued = 0;
    unsigned offers = 0;

    bool Offer(const std::uint8_t *p, std::size_t n)
    {
        ++offers;
        bool refuse = (options->refuseEvery && offers % options->refuseEvery == 0) ||
                      (options->queueLimit && queued >= options->queueLimit);
        events->push_back({refuse ? 'R' : 'F', p, n});
        if (!refuse)
            ++queued;
        return !refuse;
    }
    void MissTail(const std::uint8_t *p, std::size_t n) { events->push_back({'T', p, n}); }
};

// The framing rules over an array that only grows.
class Model {
public:
    Model(Receiver &receiver, std::size_t minimum) : m_rx(receiver), m_minimum(minimum) {}

    bool Store(std::uint8_t b)
    {
        if (Unread() == RxFramer::kBufferSize)
            return false;
        m_buf.push_back(b);
        Cut();
        return true;
    }
    void Quiet()
    {
        Cut();
        while (Unread() > 0 && !CompleteAtRead()) {
            ++m_read;
            Cut();
        }
    }
    void Reset() { m_read = m_buf.size(); }
    std::size_t Unread() const { return m_buf.size() - m_read; }

private:
    bool HeadAtRead() const { return Unread() >= 5 && m_buf[m_read] == 0x4D && (m_buf[m_read + 1] & 0x7F) == 0x53; }
    std::size_t LengthAtRead() const { return m_buf[m_read + 4] + 9u; }
    bool TailAt(std::size_t length) const
    {
        return m_buf[m_read + length - 2] == 0x0D && m_buf[m_read + length - 1] == 0x0A;
    }
    bool CompleteAtRead() const
    {
        return Unread() >= kFrameMinLen && HeadAtRead() && Unread() >= LengthAtRead() && TailAt(LengthAtRead());
    }
    void Cut()
    {
        while (Unread() >= m_minimum) {
            if (!HeadAtRead()) {
                ++m_read;
                continue;
            }
            std::size_t length = LengthAtRead();
            if (Unread() < length)
                return;
            if (TailAt(length)) {
                if (!m_rx.Offer(&m_buf[m_read], length))
                    return;
                m_read += length;
                continue;
            }
            m_rx.MissTail(&m_buf[m_read], length);
            ++m_read;
        }
    }

    Receiver &m_rx;
    std::size_t m_minimum;
    Bytes m_buf;
    std::size_t m_read = 0;
};

struct Reader {
    const std::uint8_t *p;
    std::size_t n;
    std::uint8_t Next() { return n ? (--n, *p++) : 0; }
};

enum class Step : std::uint8_t { Quiet, Reset, Drain };
struct Place {
    std::size_t at; // after this many stream bytes
    Step step;
};

// The framer's side: a real receive queue behind the sink.
std::vector<Event> realEvents, modelEvents;
Receiver realRx, modelRx;
FrameQueue queue;

bool RealFrame(const std::uint8_t *p, std::size_t n)
{
    CheckWellFormed(p, n);
    if (!realRx.Offer(p, n))
        return false;
    FrameEntry *e = CopyRxFrame(p, n);
    FUZZ_CHECK(e && e->capacity() == RxCapacity(n) && e->ety_len == n);
    queue.Push(e);
    return true;
}

void RealMissTail(const std::uint8_t *p, std::size_t n)
{
    FUZZ_CHECK(n == p[4] + 9u && !(p[n - 2] == 0x0D && p[n - 1] == 0x0A));
    realRx.MissTail(p, n);
}

// One framer per set of construction options, built once; each input starts
// with a reset.
RxFramer &Framer(const Options &o)
{
    static RxFramer framers[4] = {
        RxFramer(RealFrame, nullptr, RxFramer::kToolMinimum),
        RxFramer(RealFrame, RealMissTail, RxFramer::kToolMinimum),
        RxFramer(RealFrame, nullptr, kFrameMinLen),
        RxFramer(RealFrame, RealMissTail, kFrameMinLen),
    };
    return framers[(o.minimum == kFrameMinLen ? 2 : 0) + (o.missTailSink ? 1 : 0)];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Refused frames and lost bytes each leave a trace line; not in a file here.
    SetErrorFilePath("/nonexistent/d_error.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Reader in{data, size};
    Options o;
    std::uint8_t flags = in.Next();
    o.minimum = (flags & 1) ? kFrameMinLen : RxFramer::kToolMinimum;
    o.missTailSink = (flags & 2) != 0;
    o.queueLimit = (flags >> 2) & 7;
    o.refuseEvery = (flags >> 5) & 7;
    o.drainEvery = static_cast<std::size_t>(in.Next()) * 32;
    std::size_t repeats = 1 + in.Next();
    std::size_t nplaces = in.Next() % 16;
    std::vector<std::uint8_t> placeBytes;
    for (std::size_t i = 0; i < 3 * nplaces; ++i)
        placeBytes.push_back(in.Next());
    Bytes body(in.p, in.p + in.n);
    if (body.empty())
        return 0;
    // Up to a buffer and a quarter: enough to fill the buffer and to compact it.
    // (While the queue refuses, each byte leaves a trace line, which costs.)
    std::size_t total = std::min(body.size() * repeats, RxFramer::kBufferSize + RxFramer::kBufferSize / 4);
    std::vector<Place> places;
    for (std::size_t i = 0; i < nplaces; ++i) {
        std::size_t at = ((placeBytes[3 * i] << 8) | placeBytes[3 * i + 1]) * 5u % (total + 1);
        places.push_back({at, static_cast<Step>(placeBytes[3 * i + 2] % 3)});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place &a, const Place &b) { return a.at < b.at; });

    RxFramer &framer = Framer(o);
    framer.Reset();
    queue.Clear();
    realEvents.clear();
    modelEvents.clear();
    realRx = {&o, &realEvents};
    modelRx = {&o, &modelEvents};
    // Without a missing-tail sink the model's reports are dropped before comparing.
    Model model(modelRx, o.minimum);

    auto drain = [&] {
        while (FrameEntry *e = queue.PopFront()) {
            FUZZ_CHECK(e->capacity() == RxCapacity(e->ety_len));
            CheckWellFormed(e->ety_buf, e->ety_len);
            FrameEntryFree(e);
        }
        realRx.queued = modelRx.queued = 0;
    };
    auto compare = [&] {
        if (!o.missTailSink)
            std::erase_if(modelEvents, [](const Event &e) { return e.kind == 'T'; });
        FUZZ_CHECK(realEvents == modelEvents);
        realEvents.clear();
        modelEvents.clear();
        FUZZ_CHECK(framer.Unread() == model.Unread());
        FUZZ_CHECK(framer.Unread() <= RxFramer::kBufferSize);
    };
    auto apply = [&](const Place &p) {
        switch (p.step) {
        case Step::Quiet:
            framer.OnQuiet();
            model.Quiet();
            compare();
            break;
        case Step::Reset:
            framer.Reset();
            model.Reset();
            FUZZ_CHECK(framer.Unread() == 0);
            break;
        case Step::Drain: drain(); break;
        }
    };

    std::size_t next = 0;
    for (; next < places.size() && places[next].at == 0; ++next)
        apply(places[next]);
    for (std::size_t pos = 0; pos < total;) {
        std::uint8_t b = body[pos % body.size()];
        bool stored = framer.StoreByte(b);
        FUZZ_CHECK(stored == model.Store(b));
        // A byte is only lost while 4096 bytes wait.
        FUZZ_CHECK(stored || framer.Unread() == RxFramer::kBufferSize);
        compare();
        ++pos;
        if (o.drainEvery && pos % o.drainEvery == 0)
            drain();
        for (; next < places.size() && places[next].at == pos; ++next)
            apply(places[next]);
    }
    framer.OnQuiet();
    model.Quiet();
    compare();
    drain();
    return 0;
}

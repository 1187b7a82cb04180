// Marks hand-overs between threads that pass through the toolkit's own
// synchronisation (posted events, queued calls, QThread::wait()). The toolkit
// libraries are not built with ThreadSanitizer, so the checker cannot see the
// order they guarantee and would report the data handed over as a race. The
// sending side releases on an address after its last write of the data, the
// receiving side acquires on the same address before its first read. Empty in
// every other build.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <cstddef>
#include <new>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define PYLVEX_HANDOVER_ANNOTATE 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PYLVEX_HANDOVER_ANNOTATE 1
#endif
#endif

#ifdef PYLVEX_HANDOVER_ANNOTATE
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

inline void HandOverRelease([[maybe_unused]] const void *sync)
{
#ifdef PYLVEX_HANDOVER_ANNOTATE
    __tsan_release(const_cast<void *>(sync));
#endif
}

inline void HandOverAcquire([[maybe_unused]] const void *sync)
{
#ifdef PYLVEX_HANDOVER_ANNOTATE
    __tsan_acquire(const_cast<void *>(sync));
#endif
}

// Memory for an object handed to another thread whose toolkit part the
// receiver reads before any marked field (the type of a posted event). Fresh
// memory holds no data of the sender, so its allocation is not recorded as a
// write; what the constructor writes is covered by the object's own marks.
inline void *HandOverAllocate(std::size_t size)
{
#ifdef PYLVEX_HANDOVER_ANNOTATE
    struct Unrecorded {
        Unrecorded() { __tsan_ignore_thread_begin(); }
        ~Unrecorded() { __tsan_ignore_thread_end(); }
    } unrecorded;
#endif
    return ::operator new(size);
}

// The functor of a call queued into another thread. The toolkit moves it into
// a slot object that the receiving thread calls and that whichever thread lets
// go of it last frees. Marked on its own address inside that object: the move
// in releases the sender's writes, the call acquires them (and releases its
// own reads), the destruction acquires everything before the memory goes.
template <typename F> class HandOverCall {
public:
    explicit HandOverCall(F call) : m_call(std::move(call)) {}
    HandOverCall(HandOverCall &&other) : m_call(std::move(other.m_call)) { HandOverRelease(this); }
    HandOverCall(const HandOverCall &) = delete;
    HandOverCall &operator=(const HandOverCall &) = delete;
    HandOverCall &operator=(HandOverCall &&) = delete;
    ~HandOverCall() { HandOverAcquire(this); }

    void operator()()
    {
        HandOverAcquire(this);
        m_call();
        HandOverRelease(this);
    }

private:
    F m_call;
};

// Queues call into receiver's thread (QMetaObject::invokeMethod with
// Qt::QueuedConnection), marked as a hand-over.
template <typename F> bool InvokeQueued(QObject *receiver, F call)
{
    return QMetaObject::invokeMethod(receiver, HandOverCall<F>(std::move(call)), Qt::QueuedConnection);
}

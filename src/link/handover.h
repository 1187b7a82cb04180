// Marks hand-overs between threads that pass through the toolkit's own
// synchronisation (posted events, queued calls, QThread::wait()). The toolkit
// libraries are not built with ThreadSanitizer, so the checker cannot see the
// order they guarantee and would report the data handed over as a race. The
// sending side releases on an address before the hand-over, the receiving side
// acquires on the same address after it. Empty in every other build.
#pragma once

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

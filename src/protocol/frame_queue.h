// A queue of frame entries: one FrameList and the lock that guards it.
#pragma once

#include "protocol/frame.h"

#include <mutex>

class FrameQueue {
public:
    FrameQueue();
    ~FrameQueue();
    FrameQueue(const FrameQueue &) = delete;
    FrameQueue &operator=(const FrameQueue &) = delete;

    // Appends at the tail; returns true when the queue was empty before.
    bool Push(FrameEntry *entry);
    // Takes the first entry off, or nullptr when the queue is empty.
    FrameEntry *PopFront();
    // Frees every entry; the lock is never held while memory is freed.
    void Clear();
    bool Empty() const;

private:
    mutable std::mutex m_lock;
    FrameList m_list;
};

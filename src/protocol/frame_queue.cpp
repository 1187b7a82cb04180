#include "protocol/frame_queue.h"

FrameQueue::FrameQueue()
{
    user_list_init(&m_list);
}

FrameQueue::~FrameQueue()
{
    Clear();
}

bool FrameQueue::Push(FrameEntry *entry)
{
    std::lock_guard<std::mutex> lock(m_lock);
    bool wasEmpty = user_list_empty(&m_list);
    user_list_add_tail(&m_list, &entry->link);
    return wasEmpty;
}

FrameEntry *FrameQueue::PopFront()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (user_list_empty(&m_list))
        return nullptr;
    ListLink *first = m_list.next;
    user_list_del(first);
    return EntryFromLink(first);
}

void FrameQueue::Clear()
{
    while (FrameEntry *entry = PopFront())
        FrameEntryFree(entry);
}

bool FrameQueue::Empty() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return user_list_empty(&m_list);
}

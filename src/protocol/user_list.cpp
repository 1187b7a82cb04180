#include "protocol/user_list.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {
ListLink *guardPtr(std::uintptr_t word)
{
    return reinterpret_cast<ListLink *>(word);
}
} // namespace

void user_list_guard(ListLink *entry)
{
    entry->next = guardPtr(kListGuardNext);
    entry->prev = guardPtr(kListGuardPrev);
}

void user_list_init(FrameList *list)
{
    list->next = list;
    list->prev = list;
}

bool user_list_empty(const FrameList *list)
{
    return list->next == list;
}

void user_list_add_tail(FrameList *list, ListLink *entry)
{
    if (entry->next != guardPtr(kListGuardNext) || entry->prev != guardPtr(kListGuardPrev)) {
        std::printf("Assert: new add entry next or prev value not correct [%s, %d].\n", "user_list", 13);
        std::fflush(stdout);
        std::raise(SIGABRT);
        std::abort();
    }
    ListLink *last = list->prev;
    entry->prev = last;
    entry->next = list;
    last->next = entry;
    list->prev = entry;
}

void user_list_del(ListLink *entry)
{
    entry->next->prev = entry->prev;
    entry->prev->next = entry->next;
    user_list_guard(entry);
}

// Intrusive circular doubly linked list of frame entries. The list takes no
// lock: the owner of a queue holds its lock around every call.
#pragma once

#include <cstdint>

// Guard words held by the links of an entry that is not linked anywhere.
inline constexpr std::uintptr_t kListGuardNext = 0x01020304u;
inline constexpr std::uintptr_t kListGuardPrev = 0x04030201u;

// The head and every entry start with these two links, in this order.
struct ListLink {
    ListLink *next;
    ListLink *prev;
};

using FrameList = ListLink;

void user_list_init(FrameList *list);
bool user_list_empty(const FrameList *list);
// Ends the process (message on standard output, then SIGABRT) when the
// entry's links do not hold the guard words.
void user_list_add_tail(FrameList *list, ListLink *entry);
void user_list_del(ListLink *entry);
// Writes the guard words into an entry's links.
void user_list_guard(ListLink *entry);

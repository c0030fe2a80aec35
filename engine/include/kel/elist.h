// The engine's singly linked circular list.
//
// An ELIST is held as one pointer to its last element; the last element's link
// leads to the first, so the empty list is a null pointer. Elements derive from
// ELIST_LINK. The list does not know the element type: clearing and deep copying
// take callbacks that destroy or copy one element (a "zapper" and a "copier").
#pragma once

#include <cstdint>

#include "kel/types.h"

class KEL_API ELIST_LINK {
public:
    ELIST_LINK() : next(nullptr) {}
    // A copied element is in no list.
    ELIST_LINK(const ELIST_LINK&) : next(nullptr) {}
    ELIST_LINK& operator=(const ELIST_LINK&) {
        next = nullptr;
        return *this;
    }

    ELIST_LINK* next;  // null while the element is in no list
};

class KEL_API ELIST {
public:
    ELIST() : last(nullptr) {}

    bool empty() const { return last == nullptr; }
    ELIST_LINK* first() const { return last ? last->next : nullptr; }
    int32_t length() const;

    // Calls zapper for every element (first to last) and leaves the list empty.
    void internal_clear(void (*zapper)(ELIST_LINK*));
    // Appends copier(element) for every element of source, in order.
    void internal_deep_copy(ELIST_LINK* (*copier)(ELIST_LINK*), const ELIST* source);
    // Stable sort; comparator receives pointers to element pointers (qsort style).
    void sort(int (*comparator)(const void*, const void*));

    // Appends one element at the end.
    void add_to_end(ELIST_LINK* element);
    // Moves every element of `other` to the end of this list, leaving `other` empty.
    void assign_to_sublist_end(ELIST* other);

    ELIST_LINK* last;  // null for the empty list
};

// Walks an ELIST and edits it in place. State: the list, the previous, current
// and next elements, two flags recorded by the last extract(), the cycle point and
// whether cycling started.
//
// After extract() the iterator stands in the gap the element left: current is
// null, prev and next are the elements that surrounded it. Insertions then go
// into the gap (an element put into a gap at the end becomes the list's last) and
// forward() goes on with `next`. An iterator bound to a list that was empty has no
// position; forward() then starts at the first element and insertions before the
// current element go to the end.
//
// Loop over a list while removing elements:
//   for (it.mark_cycle_pt(); !it.cycled_list(); it.forward())
//       if (unwanted(it.data())) delete it.extract();
class KEL_API ELIST_ITERATOR {
public:
    ELIST_ITERATOR();
    explicit ELIST_ITERATOR(ELIST* list);

    // Binds to `list` and moves to its first element (current null when empty).
    void set_to_list(ELIST* list);

    ELIST_LINK* data() const { return current; }
    // The element `distance` places after the current one (distance >= -1; -1 is
    // the previous element; null for other distances or an empty list). In a gap,
    // 1 is the element that followed the extracted one.
    ELIST_LINK* data_relative(signed char distance) const;
    // Steps to the next element and returns it (null for an empty list). After an
    // extract() the step goes to the element that followed the extracted one.
    ELIST_LINK* forward();
    ELIST_LINK* move_to_first();
    ELIST_LINK* move_to_last();

    // Removes the current element and returns it with a null link; current becomes
    // null and iteration can go on with forward(). Null (and nothing changes) when
    // there is no current element. Extracting the only element empties the list and
    // clears prev and next. Records in ex_current_was_last and
    // ex_current_was_cycle_pt whether the element was the list's last and the cycle
    // point; when the cycle point is extracted, the element after it becomes the
    // cycle point at the next forward().
    ELIST_LINK* extract();
    // Inserts `element` before the current one; the iterator stays where it is.
    void add_before_stay_put(ELIST_LINK* element);
    // Inserts `element` after the current one and moves to it.
    void add_after_then_move(ELIST_LINK* element);
    // Inserts `element` before the current one and moves to it.
    void add_before_then_move(ELIST_LINK* element);
    // Appends `element` at the end of the list; the iterator stays where it is.
    void add_to_end(ELIST_LINK* element);

    // Marks the current element as the point where a cycle over the list ends (in a
    // gap: the element forward() reaches next).
    void mark_cycle_pt();
    // True when the list is empty, or the walk came back to the cycle point.
    bool cycled_list() const;
    // On the first / last element, or in the gap where it was. Both are true for
    // an empty list, so that loops waiting for either end stop.
    bool at_first() const;
    bool at_last() const;
    bool empty() const { return list == nullptr || list->empty(); }
    int32_t length() const { return list ? list->length() : 0; }

    ELIST* list;
    ELIST_LINK* prev;
    ELIST_LINK* current;
    ELIST_LINK* next;
    bool ex_current_was_last;
    bool ex_current_was_cycle_pt;
    ELIST_LINK* cycle_pt;
    bool started_cycling;
};

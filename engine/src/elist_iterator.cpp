// ELIST_ITERATOR: walking and editing an ELIST in place.
//
// The iterator is in one of three positions:
//   on an element:  current is it, prev the element before it, next the one after;
//   in a gap:       extract() removed current; current is null, prev and next are the
//                   elements that surrounded it (prev->next == next), and
//                   ex_current_was_last says whether the gap is at the end;
//   unplaced:       bound to no list, or to a list that was empty when bound (all
//                   three null).
// Insertions in a gap go between prev and next; forward() from a gap goes to next.
#include "kel/elist.h"

ELIST_ITERATOR::ELIST_ITERATOR()
    : list(nullptr),
      prev(nullptr),
      current(nullptr),
      next(nullptr),
      ex_current_was_last(false),
      ex_current_was_cycle_pt(false),
      cycle_pt(nullptr),
      started_cycling(false) {}

ELIST_ITERATOR::ELIST_ITERATOR(ELIST* list_to_iterate) : ELIST_ITERATOR() { set_to_list(list_to_iterate); }

void ELIST_ITERATOR::set_to_list(ELIST* list_to_iterate) {
    list = list_to_iterate;
    cycle_pt = nullptr;
    started_cycling = false;
    ex_current_was_last = false;
    ex_current_was_cycle_pt = false;
    if (list == nullptr || list->last == nullptr) {
        prev = current = next = nullptr;
        return;
    }
    prev = list->last;
    current = list->last->next;
    next = current->next;
}

ELIST_LINK* ELIST_ITERATOR::data_relative(signed char distance) const {
    if (list == nullptr || list->last == nullptr || distance < -1) return nullptr;
    if (distance == -1) return prev;
    if (distance == 0) return current;
    // In a gap the count starts at the element before it, so 1 is the element
    // that followed the extracted one; unplaced, it starts before the first.
    const ELIST_LINK* from = current ? current : (prev ? prev : list->last);
    for (int i = 0; i < distance; ++i) from = from->next;
    return const_cast<ELIST_LINK*>(from);
}

ELIST_LINK* ELIST_ITERATOR::forward() {
    if (list == nullptr || list->last == nullptr) {
        prev = current = next = nullptr;
        return nullptr;
    }
    if (current != nullptr) {
        prev = current;
        current = current->next;
        started_cycling = true;
    } else {
        if (next != nullptr) {
            current = next;  // out of a gap: prev already precedes it
        } else {
            prev = list->last;  // unplaced: start at the first element
            current = list->last->next;
        }
        // When the cycle point itself was extracted, the walk now ends on coming
        // back to the element that followed it.
        if (ex_current_was_cycle_pt) {
            cycle_pt = current;
            started_cycling = false;
        } else {
            started_cycling = true;
        }
    }
    next = current->next;
    ex_current_was_last = false;
    ex_current_was_cycle_pt = false;
    return current;
}

ELIST_LINK* ELIST_ITERATOR::move_to_first() {
    ex_current_was_last = false;
    ex_current_was_cycle_pt = false;
    if (list == nullptr || list->last == nullptr) {
        prev = current = next = nullptr;
        return nullptr;
    }
    prev = list->last;
    current = list->last->next;
    next = current->next;
    return current;
}

ELIST_LINK* ELIST_ITERATOR::move_to_last() {
    ex_current_was_last = false;
    ex_current_was_cycle_pt = false;
    if (list == nullptr || list->last == nullptr) {
        prev = current = next = nullptr;
        return nullptr;
    }
    // A singly linked list: the element before the last is found by walking.
    ELIST_LINK* before = list->last;
    while (before->next != list->last) before = before->next;
    prev = before;
    current = list->last;
    next = current->next;
    return current;
}

ELIST_LINK* ELIST_ITERATOR::extract() {
    if (list == nullptr || list->last == nullptr || current == nullptr || prev == nullptr) return nullptr;
    ELIST_LINK* extracted = current;
    ex_current_was_cycle_pt = extracted == cycle_pt;
    if (extracted->next == extracted) {
        // The only element: the list becomes empty.
        list->last = nullptr;
        prev = next = nullptr;
        ex_current_was_last = true;
    } else {
        next = extracted->next;
        prev->next = next;
        ex_current_was_last = extracted == list->last;
        if (ex_current_was_last) list->last = prev;
    }
    extracted->next = nullptr;
    current = nullptr;
    return extracted;
}

// Puts `element` into the gap between prev and next (current is null), keeping
// the list's end right when the gap is at the end.
static void insert_in_gap(ELIST_ITERATOR& it, ELIST_LINK* element) {
    element->next = it.next;
    it.prev->next = element;
    if (it.ex_current_was_last) it.list->last = element;
}

void ELIST_ITERATOR::add_before_stay_put(ELIST_LINK* element) {
    if (list == nullptr || element == nullptr) return;
    if (list->last == nullptr || prev == nullptr) {
        // Unplaced (or the list is empty): "before the start" is the end.
        list->add_to_end(element);
        return;
    }
    if (current != nullptr) {
        // Before the first element this makes the new element the first: the
        // list's last element now leads to it.
        element->next = current;
        prev->next = element;
    } else {
        insert_in_gap(*this, element);
    }
    prev = element;
}

void ELIST_ITERATOR::add_after_then_move(ELIST_LINK* element) {
    if (list == nullptr || element == nullptr) return;
    if (list->last == nullptr) {
        list->add_to_end(element);
        prev = current = next = element;
    } else if (current != nullptr) {
        element->next = current->next;
        current->next = element;
        if (current == list->last) list->last = element;
        prev = current;
        current = element;
        next = element->next;
    } else if (prev != nullptr) {
        insert_in_gap(*this, element);
        current = element;
        next = element->next;
    } else {
        prev = list->last;
        list->add_to_end(element);
        current = element;
        next = element->next;
    }
    ex_current_was_last = false;
    ex_current_was_cycle_pt = false;
}

void ELIST_ITERATOR::add_before_then_move(ELIST_LINK* element) {
    if (list == nullptr || element == nullptr) return;
    if (list->last == nullptr) {
        list->add_to_end(element);
        prev = current = next = element;
    } else if (current != nullptr) {
        element->next = current;
        prev->next = element;
        next = current;
        current = element;
    } else if (prev != nullptr) {
        insert_in_gap(*this, element);
        current = element;
        next = element->next;
    } else {
        prev = list->last;
        list->add_to_end(element);
        current = element;
        next = element->next;
    }
    ex_current_was_last = false;
    ex_current_was_cycle_pt = false;
}

void ELIST_ITERATOR::add_to_end(ELIST_LINK* element) {
    if (list == nullptr || element == nullptr) return;
    ELIST_LINK* old_last = list->last;
    list->add_to_end(element);
    if (old_last == nullptr) return;  // the iterator stays unplaced
    // The new element sits between the old last and the first: an iterator on the
    // old last now leads to it, and one on the first (or in a gap at the end)
    // now follows it.
    if (current == old_last) next = element;
    if (prev == old_last) prev = element;
}

void ELIST_ITERATOR::mark_cycle_pt() {
    started_cycling = false;
    if (current != nullptr) {
        cycle_pt = current;
    } else {
        // In a gap (or unplaced) the cycle point becomes the element forward()
        // reaches next.
        cycle_pt = nullptr;
        ex_current_was_cycle_pt = true;
    }
}

bool ELIST_ITERATOR::cycled_list() const {
    if (list == nullptr || list->last == nullptr) return true;
    return current != nullptr && current == cycle_pt && started_cycling;
}

bool ELIST_ITERATOR::at_first() const {
    if (list == nullptr || list->last == nullptr) return true;
    if (current != nullptr) return current == list->last->next;
    // A gap where the first element was.
    return prev != nullptr && prev == list->last && !ex_current_was_last;
}

bool ELIST_ITERATOR::at_last() const {
    if (list == nullptr || list->last == nullptr) return true;
    if (current != nullptr) return current == list->last;
    // A gap where the last element was.
    return prev != nullptr && prev == list->last && ex_current_was_last;
}

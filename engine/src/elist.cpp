// ELIST: the circular singly linked list held by its last element.
#include "kel/elist.h"

#include <cstddef>
#include <vector>

int32_t ELIST::length() const {
    if (last == nullptr) return 0;
    int32_t count = 0;
    const ELIST_LINK* element = last;
    do {
        ++count;
        element = element->next;
    } while (element != last && element != nullptr);
    return count;
}

void ELIST::internal_clear(void (*zapper)(ELIST_LINK*)) {
    if (last == nullptr) return;
    ELIST_LINK* element = last->next;
    ELIST_LINK* const end = last;
    // Empty the list first, so a zapper that looks at the list sees it empty.
    last = nullptr;
    for (;;) {
        ELIST_LINK* following = element->next;
        bool was_last = element == end;
        // Unlinked before the zapper runs: a zapper that keeps the element (one
        // that does not own it) leaves it in no list.
        element->next = nullptr;
        if (zapper) zapper(element);
        if (was_last || following == nullptr) break;
        element = following;
    }
}

void ELIST::internal_deep_copy(ELIST_LINK* (*copier)(ELIST_LINK*), const ELIST* source) {
    if (copier == nullptr || source == nullptr || source->last == nullptr) return;
    // Counted first, so copying a list into itself copies each element once.
    int32_t count = source->length();
    ELIST_LINK* element = source->last->next;
    for (int32_t i = 0; i < count; ++i) {
        ELIST_LINK* following = element->next;
        ELIST_LINK* copy = copier(element);
        if (copy != nullptr) add_to_end(copy);
        element = following;
    }
}

void ELIST::sort(int (*comparator)(const void*, const void*)) {
    if (comparator == nullptr || last == nullptr || last->next == last) return;
    std::vector<ELIST_LINK*> items;
    items.reserve((size_t)length());
    ELIST_LINK* element = last->next;
    do {
        items.push_back(element);
        element = element->next;
    } while (element != last->next);

    // A bottom-up merge sort of our own rather than std::stable_sort: it stays
    // stable and in bounds even when the caller's comparator is inconsistent.
    // The comparator receives pointers to the element pointers, as qsort would.
    std::vector<ELIST_LINK*> scratch(items.size());
    const size_t n = items.size();
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = lo + width < n ? lo + width : n;
            size_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi) {
                // Only a strictly smaller right element goes first: equal keys
                // keep their order.
                if (comparator(&items[b], &items[a]) < 0)
                    scratch[out++] = items[b++];
                else
                    scratch[out++] = items[a++];
            }
            while (a < mid) scratch[out++] = items[a++];
            while (b < hi) scratch[out++] = items[b++];
        }
        items.swap(scratch);
    }

    for (size_t i = 0; i + 1 < n; ++i) items[i]->next = items[i + 1];
    items[n - 1]->next = items[0];
    last = items[n - 1];
}

void ELIST::add_to_end(ELIST_LINK* element) {
    if (element == nullptr) return;
    if (last == nullptr) {
        element->next = element;
    } else {
        element->next = last->next;
        last->next = element;
    }
    last = element;
}

void ELIST::assign_to_sublist_end(ELIST* other) {
    if (other == nullptr || other == this || other->last == nullptr) return;
    if (last == nullptr) {
        last = other->last;
    } else {
        ELIST_LINK* first_here = last->next;
        last->next = other->last->next;
        other->last->next = first_here;
        last = other->last;
    }
    other->last = nullptr;
}

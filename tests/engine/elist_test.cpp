#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "kel/elist.h"

namespace {

struct Item : ELIST_LINK {
    Item(int v, int k = 0) : value(v), key(k) {}
    int value;
    int key;
};

// A list over items kept alive by the fixture, so tests can check what the list
// does to elements it no longer holds.
class ListTest : public ::testing::Test {
protected:
    Item* make(int v, int k = 0) {
        pool.push_back(std::make_unique<Item>(v, k));
        return pool.back().get();
    }
    void fill(std::vector<int> values) {
        for (int v : values) list.add_to_end(make(v));
    }
    static std::vector<int> values(const ELIST& l) {
        std::vector<int> out;
        if (l.empty()) return out;
        ELIST_LINK* e = l.first();
        do {
            out.push_back(static_cast<Item*>(e)->value);
            e = e->next;
        } while (e != l.first() && out.size() < 1000);
        return out;
    }
    static int val(ELIST_LINK* e) { return e ? static_cast<Item*>(e)->value : -1; }

    std::vector<std::unique_ptr<Item>> pool;
    ELIST list;
};

TEST_F(ListTest, ClearCallsTheZapperForEveryElementAndEmpties) {
    static std::vector<int> zapped;
    zapped.clear();
    fill({1, 2, 3});
    EXPECT_EQ(list.length(), 3);
    list.internal_clear([](ELIST_LINK* e) { zapped.push_back(static_cast<Item*>(e)->value); });
    EXPECT_EQ(zapped, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.length(), 0);
    for (auto& item : pool) EXPECT_EQ(item->next, nullptr);  // kept elements are in no list
    list.internal_clear([](ELIST_LINK*) { zapped.push_back(99); });
    EXPECT_EQ(zapped.size(), 3u);  // clearing an empty list calls nothing
}

TEST_F(ListTest, ClearWithAnOwningZapperFreesEverything) {
    // Under AddressSanitizer this catches a clear that reads an element after its zapper.
    for (int i = 0; i < 4; ++i) list.add_to_end(new Item(i));
    list.internal_clear([](ELIST_LINK* e) { delete static_cast<Item*>(e); });
    EXPECT_TRUE(list.empty());
}

TEST_F(ListTest, DeepCopyAppendsCopiesInOrder) {
    static std::vector<std::unique_ptr<Item>> copies;
    copies.clear();
    auto copier = [](ELIST_LINK* e) -> ELIST_LINK* {
        int v = static_cast<Item*>(e)->value;
        if (v == 2) return nullptr;  // a copier that fails: that element is skipped
        copies.push_back(std::make_unique<Item>(v * 10));
        return copies.back().get();
    };
    fill({1, 2, 3});
    ELIST target;
    target.add_to_end(make(0));
    target.internal_deep_copy(copier, &list);
    EXPECT_EQ(values(target), (std::vector<int>{0, 10, 30}));
    EXPECT_EQ(values(list), (std::vector<int>{1, 2, 3}));
    // Into itself: each original element is copied once.
    list.internal_deep_copy(copier, &list);
    EXPECT_EQ(values(list), (std::vector<int>{1, 2, 3, 10, 30}));
}

int by_key(const void* a, const void* b) {
    // Pointers to element pointers, as qsort would pass them.
    const Item* x = *static_cast<Item* const*>(a);
    const Item* y = *static_cast<Item* const*>(b);
    return x->key - y->key;
}

TEST_F(ListTest, SortIsStable) {
    struct Case {
        std::vector<int> keys;
        std::vector<int> expected;  // values (= original positions) after sorting
    };
    const Case cases[] = {
        {{3, 1, 2, 1, 3, 1}, {1, 3, 5, 2, 0, 4}},
        {{5}, {0}},
        {{2, 2, 2, 2, 2}, {0, 1, 2, 3, 4}},
        {{9, 8, 7, 6, 5, 4, 3, 2, 1}, {8, 7, 6, 5, 4, 3, 2, 1, 0}},
    };
    for (const Case& c : cases) {
        ELIST l;
        for (size_t i = 0; i < c.keys.size(); ++i) l.add_to_end(make((int)i, c.keys[i]));
        l.sort(by_key);
        EXPECT_EQ(values(l), c.expected);
        EXPECT_EQ(static_cast<Item*>(l.last)->value, c.expected.back());
    }
    ELIST empty;
    empty.sort(by_key);
    EXPECT_TRUE(empty.empty());
}

TEST_F(ListTest, SortSurvivesAnInconsistentComparator) {
    for (int i = 0; i < 100; ++i) list.add_to_end(make(i));
    static unsigned state = 1;
    list.sort([](const void*, const void*) {
        state = state * 1103515245u + 12345u;
        return (int)((state >> 16) % 3) - 1;
    });
    std::vector<int> v = values(list);
    std::sort(v.begin(), v.end());
    for (int i = 0; i < 100; ++i) EXPECT_EQ(v[i], i);
}

TEST_F(ListTest, SublistMovesEveryElement) {
    fill({1, 2});
    ELIST other;
    other.add_to_end(make(3));
    other.add_to_end(make(4));
    list.assign_to_sublist_end(&other);
    EXPECT_EQ(values(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(other.empty());
    ELIST empty;
    empty.assign_to_sublist_end(&list);
    EXPECT_EQ(values(empty), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ListTest, IteratorStartsOnTheFirstElement) {
    ELIST_ITERATOR none(&list);
    EXPECT_EQ(none.data(), nullptr);
    EXPECT_EQ(none.move_to_first(), nullptr);
    EXPECT_EQ(none.forward(), nullptr);
    EXPECT_TRUE(none.cycled_list());

    fill({1, 2, 3});
    ELIST_ITERATOR it(&list);
    EXPECT_EQ(val(it.prev), 3);
    EXPECT_EQ(val(it.data()), 1);
    EXPECT_EQ(val(it.next), 2);
    EXPECT_TRUE(it.at_first());
    EXPECT_EQ(val(it.data_relative(-1)), 3);
    EXPECT_EQ(val(it.data_relative(2)), 3);
    EXPECT_EQ(val(it.data_relative(4)), 2);  // wraps round
    EXPECT_EQ(val(it.forward()), 2);
    EXPECT_EQ(val(it.forward()), 3);
    EXPECT_TRUE(it.at_last());
    EXPECT_EQ(val(it.forward()), 1);  // circular
    EXPECT_EQ(val(it.move_to_last()), 3);
    EXPECT_EQ(val(it.prev), 2);
    EXPECT_EQ(val(it.move_to_first()), 1);
}

// Walks the whole list once with a cycle point, extracting the elements `drop`
// picks; returns the values visited.
std::vector<int> walk_extracting(ELIST* list, const std::function<bool(int)>& drop) {
    std::vector<int> visited;
    ELIST_ITERATOR it(list);
    for (it.mark_cycle_pt(); !it.cycled_list() && visited.size() < 100; it.forward()) {
        int v = static_cast<Item*>(it.data())->value;
        visited.push_back(v);
        if (drop(v)) {
            ELIST_LINK* e = it.extract();
            EXPECT_EQ(e->next, nullptr);
            EXPECT_EQ(it.data(), nullptr);
        }
    }
    return visited;
}

TEST_F(ListTest, ExtractDuringIterationVisitsEachElementOnce) {
    struct Case {
        const char* name;
        std::function<bool(int)> drop;
        std::vector<int> remaining;
    };
    const Case cases[] = {
        {"evens", [](int v) { return v % 2 == 0; }, {1, 3, 5}},
        {"first", [](int v) { return v == 1; }, {2, 3, 4, 5}},
        {"first two", [](int v) { return v <= 2; }, {3, 4, 5}},
        {"last", [](int v) { return v == 5; }, {1, 2, 3, 4}},
        {"all", [](int) { return true; }, {}},
        {"none", [](int) { return false; }, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ELIST l;
        for (int v = 1; v <= 5; ++v) l.add_to_end(make(v));
        EXPECT_EQ(walk_extracting(&l, c.drop), (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_EQ(values(l), c.remaining);
        EXPECT_EQ(l.length(), (int32_t)c.remaining.size());
        if (!c.remaining.empty()) {
            EXPECT_EQ(val(l.last), c.remaining.back());
        }
    }
}

TEST_F(ListTest, ExtractRecordsWhatItRemoved) {
    fill({1, 2, 3});
    ELIST_ITERATOR it(&list);
    it.move_to_last();
    it.mark_cycle_pt();
    EXPECT_EQ(val(it.extract()), 3);
    EXPECT_TRUE(it.ex_current_was_last);
    EXPECT_TRUE(it.ex_current_was_cycle_pt);
    EXPECT_EQ(val(list.last), 2);
    EXPECT_TRUE(it.at_last());
    EXPECT_EQ(it.extract(), nullptr);  // nothing current: nothing to extract
    EXPECT_EQ(val(it.forward()), 1);   // the element that followed the extracted one

    EXPECT_EQ(val(it.extract()), 1);
    EXPECT_FALSE(it.ex_current_was_last);
    EXPECT_TRUE(it.at_first());
    EXPECT_EQ(val(it.forward()), 2);
    EXPECT_EQ(val(it.extract()), 2);  // the only element
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(it.prev, nullptr);
    EXPECT_EQ(it.next, nullptr);
    EXPECT_EQ(it.forward(), nullptr);
}

TEST_F(ListTest, AddBeforeStayPut) {
    struct Case {
        int steps;  // forward() calls from the first element
        std::vector<int> expected;
    };
    const Case cases[] = {
        {0, {9, 1, 2, 3}},  // before the first: becomes the first
        {1, {1, 9, 2, 3}},
        {2, {1, 2, 9, 3}},  // before the last: the last stays last
    };
    for (const Case& c : cases) {
        ELIST l;
        for (int v = 1; v <= 3; ++v) l.add_to_end(make(v));
        ELIST_ITERATOR it(&l);
        for (int i = 0; i < c.steps; ++i) it.forward();
        int at = val(it.data());
        it.add_before_stay_put(make(9));
        EXPECT_EQ(val(it.data()), at);
        EXPECT_EQ(val(it.prev), 9);
        EXPECT_EQ(values(l), c.expected);
        EXPECT_EQ(val(l.last), 3);
    }
}

TEST_F(ListTest, AddBeforeStayPutIntoTheGapOfAnExtract) {
    fill({1, 2, 3});
    ELIST_ITERATOR it(&list);
    it.forward();
    it.extract();  // 2
    it.add_before_stay_put(make(8));
    EXPECT_EQ(values(list), (std::vector<int>{1, 8, 3}));
    EXPECT_EQ(val(it.forward()), 3);

    it.extract();  // 3, the last: the gap is at the end
    it.add_before_stay_put(make(9));
    EXPECT_EQ(values(list), (std::vector<int>{1, 8, 9}));
    EXPECT_EQ(val(list.last), 9);
    EXPECT_EQ(val(it.forward()), 1);
}

TEST_F(ListTest, MovingAnElementBeforeAnEarlierOne) {
    // Take an element out and put it immediately before an earlier one, then go
    // on with the element after that one.
    fill({1, 2, 3, 4});
    ELIST_ITERATOR it(&list);
    it.forward();
    it.forward();
    it.forward();  // on 4
    ELIST_LINK* x = it.extract();
    it.move_to_first();
    it.forward();  // on 2
    it.add_before_stay_put(x);
    EXPECT_EQ(values(list), (std::vector<int>{1, 4, 2, 3}));
    EXPECT_EQ(val(list.last), 3);
    EXPECT_EQ(val(it.forward()), 3);
}

TEST_F(ListTest, AddAndMove) {
    fill({1, 2});
    ELIST_ITERATOR it(&list);
    it.add_before_then_move(make(0));  // before the first
    EXPECT_EQ(val(it.data()), 0);
    EXPECT_TRUE(it.at_first());
    it.move_to_last();
    it.add_after_then_move(make(3));  // after the last
    EXPECT_EQ(val(it.data()), 3);
    EXPECT_EQ(val(list.last), 3);
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(val(it.forward()), 0);

    ELIST empty;
    ELIST_ITERATOR e(&empty);
    e.add_after_then_move(make(7));
    EXPECT_EQ(val(e.data()), 7);
    EXPECT_EQ(val(e.forward()), 7);
}

TEST_F(ListTest, IteratorAddToEndKeepsTheWalkConsistent) {
    fill({1, 2});
    ELIST_ITERATOR it(&list);  // on the first: the new last now precedes it
    it.add_to_end(make(3));
    EXPECT_EQ(val(it.prev), 3);
    it.move_to_last();  // on the last: the new element follows it
    it.add_to_end(make(4));
    EXPECT_EQ(val(it.next), 4);
    EXPECT_EQ(val(it.forward()), 4);
    EXPECT_EQ(val(it.forward()), 1);
    EXPECT_EQ(values(list), (std::vector<int>{1, 2, 3, 4}));
}

}  // namespace

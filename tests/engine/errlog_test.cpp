#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "kel/errlog.h"

namespace {

class ErrLog : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        err.set_sink(nullptr);
        err.set_capacity(100000);
        err.clear();
    }
};

TEST_F(ErrLog, RecordsEveryFieldAndReturnsTheCode) {
    int r = err.log(KEL_ERR_NOT_FOUND, "edstprnt", 123, 9, 1, 2, 2, "Called '%s', expected 0x%x, got 0x%x",
                    "xform->Setup()", 0, 0x80000068u);
    EXPECT_EQ(r, KEL_ERR_NOT_FOUND);
    ASSERT_EQ(err.count(), 1u);
    KEL_LOG_ENTRY e = err.entries()[0];
    EXPECT_EQ(e.code, KEL_ERR_NOT_FOUND);
    EXPECT_EQ(e.source, "edstprnt");
    EXPECT_EQ(e.line, 123);
    EXPECT_EQ(e.label, 9);
    EXPECT_EQ(e.show, 1);
    EXPECT_EQ(e.action, 2);
    EXPECT_EQ(e.detail, 2);
    EXPECT_EQ(e.message, "Called 'xform->Setup()', expected 0x0, got 0x80000068");
}

TEST_F(ErrLog, FormatsMessagesOfAnyLength) {
    std::string long_text(5000, 'x');
    err.log(0, "t", 0, 9, 1, 2, 3, "[%s] %g%%", long_text.c_str(), 1.5);
    EXPECT_EQ(err.entries()[0].message, "[" + long_text + "] 1.5%");
    // A null format and a null source give empty texts rather than a crash.
    err.log(7, nullptr, 0, 9, 1, 2, 3, nullptr);
    EXPECT_EQ(err.entries()[1].message, "");
    EXPECT_EQ(err.entries()[1].source, "");
}

TEST_F(ErrLog, CapacityDropsTheOldestEntries) {
    err.set_capacity(3);
    for (int i = 0; i < 5; ++i) err.log(i, "t", 0, 9, 1, 2, 3, "%d", i);
    std::vector<KEL_LOG_ENTRY> e = err.entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e.front().code, 2);
    EXPECT_EQ(e.back().code, 4);
    err.set_capacity(1);  // shrinking drops at once
    ASSERT_EQ(err.count(), 1u);
    EXPECT_EQ(err.entries()[0].code, 4);
}

TEST_F(ErrLog, SinkSeesEveryEntryAlsoWhenNoneAreKept) {
    std::vector<std::string> seen;
    err.set_capacity(0);
    err.set_sink([&](const KEL_LOG_ENTRY& e) { seen.push_back(e.source + ":" + e.message); });
    EXPECT_EQ(err.log(5, "rtfblk", 9, 9, 1, 2, 2, "a%d", 1), 5);
    err.log(0, "Destination", 0, 9, 2, 2, 4, "b");
    EXPECT_EQ(err.count(), 0u);
    EXPECT_EQ(seen, (std::vector<std::string>{"rtfblk:a1", "Destination:b"}));
}

TEST_F(ErrLog, EntryLoggedFromTheSinkIsKeptButNotFedBack) {
    int calls = 0;
    err.set_sink([&](const KEL_LOG_ENTRY&) {
        ++calls;
        err.log(1, "sink", 0, 9, 1, 2, 3, "from sink");
    });
    err.log(0, "t", 0, 9, 1, 2, 3, "outer");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(err.count(), 2u);
}

TEST_F(ErrLog, ConcurrentLoggingLosesNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i) err.log(t, "t", i, 9, 1, 2, 3, "%d/%d", t, i);
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(err.count(), 2000u);
}

TEST_F(ErrLog, ErrcodeReportsItsTextAndGoesOn) {
    ERR_NO_LIST_COPY.error("RTFBLK_LIST", 2);
    ERR_NO_LIST_ASSIGN.error("RTFBLK_LIST", 2, "%d elements", 3);
    std::vector<KEL_LOG_ENTRY> e = err.entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].code, KEL_ERR_GENERAL);
    EXPECT_EQ(e[0].source, "RTFBLK_LIST");
    EXPECT_EQ(e[0].label, 9);
    EXPECT_EQ(e[0].show, 2);
    EXPECT_EQ(e[0].action, 2);
    EXPECT_EQ(e[0].detail, 1);
    EXPECT_EQ(e[0].message, "Can't create a list by assignment");
    EXPECT_EQ(e[1].message, "Can't assign to lists: 3 elements");
}

TEST(ErrCodes, TheTwelveTexts) {
    const ERRCODE* codes[] = {&ERR_ASSERT_FAILED, &ERR_CANT_OPEN_FILE,  &ERR_CANT_CREATE_FILE,
                              &ERR_CANT_CREATE_PIPE, &ERR_CANT_RECONNECT_PIPES, &ERR_READ_FAILED,
                              &ERR_WRITE_FAILED, &ERR_SELECT_FAILED, &ERR_EXEC_FAILED,
                              &ERR_NO_LIST_COPY, &ERR_NO_LIST_ASSIGN, &ERR_SERIALISE_LINK};
    const char* texts[] = {"Assert failed", "Can't open file", "Can't create file", "Can't create pipe",
                           "Can't reconnect pipes to stdin/stdout", "Read of file failed",
                           "Write of file failed", "Select failed", "Could not exec new process",
                           "Can't create a list by assignment", "Can't assign to lists",
                           "Attempted to (de)serialise a link element"};
    for (int i = 0; i < 12; ++i) EXPECT_STREQ(codes[i]->text(), texts[i]);
}

}  // namespace

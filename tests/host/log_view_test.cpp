#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "host_test_util.h"
#include "ui/log_view.h"

using namespace lucentra;

namespace {
KEL_LOG_ENTRY entry(int32_t code, int show, int detail, std::string message) {
    KEL_LOG_ENTRY e;
    e.code = code, e.source = "edstprnt", e.line = 412, e.label = 9, e.show = show, e.action = 2, e.detail = detail;
    e.message = std::move(message);
    return e;
}
}  // namespace

TEST(LogView, WhatEachVerbosityShowsAndHowItReads) {
    struct Case {
        KEL_LOG_ENTRY e;
        bool quiet, normal, verbose;
        std::string normal_text;
    } cases[] = {
        // Failures wait for the closing line; notes shown to the user show.
        {entry(KEL_CANCELLED, 2, 1, "StartDoc returned -1."), false, false, true, "lucentra: error: StartDoc returned -1."},
        {entry(0, 2, 3, "PRint completed in 0.5 sec, exitcode 0"), false, true, true,
         "lucentra: note: PRint completed in 0.5 sec, exitcode 0"},
        {entry(0, 1, 3, "Floating pt. control word (before): 0x037F"), false, false, true, ""},
        {entry(0, 2, 4, "(Base) RegisterObject\n"), false, false, true, "lucentra: trace: (Base) RegisterObject"},
        {entry(KEL_ERR_NO_MEMORY, 2, 2, "two\nlines"), false, true, true, "lucentra: internal error: two lines"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.e.message);
        EXPECT_EQ(log_entry_shown(c.e, Verbosity::Quiet), c.quiet);
        EXPECT_EQ(log_entry_shown(c.e, Verbosity::Normal), c.normal);
        EXPECT_EQ(log_entry_shown(c.e, Verbosity::Verbose), c.verbose);
        if (!c.normal_text.empty()) {
            EXPECT_EQ(format_log_entry(c.e, Verbosity::Normal), c.normal_text);
        }
    }
    EXPECT_EQ(format_log_entry(entry(KEL_CANCELLED, 2, 1, "x"), Verbosity::Verbose),
              "lucentra: error: x [edstprnt:412 0x80000068]");
}

TEST(LogView, JsonLinesCarryEveryEntryWhateverTheVerbosity) {
    test::TempDir dir;
    std::string path = dir.file("log.jsonl");
    {
        FILE* sink = fopen("/dev/null", "w");
        LogView view(Verbosity::Quiet, sink, path);
        err.log(KEL_CANCELLED, "edstprnt", 7, 9, 1, 2, 4, "quote \" and byte \xff");
        err.log(0, "rtfblk", 8, 6, 2, 2, 3, "Palette has %d colours", 16);
        fclose(sink);
    }
    std::ifstream in(path);
    std::string first, second, third;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_FALSE(std::getline(in, third));
    auto a = nlohmann::json::parse(first), b = nlohmann::json::parse(second);
    EXPECT_EQ(a["code"], (int32_t)KEL_CANCELLED);
    EXPECT_EQ(a["source"], "edstprnt");
    EXPECT_EQ(a["detail"], 4);
    EXPECT_EQ(a["message"].get<std::string>().substr(0, 9), "quote \" a");
    EXPECT_EQ(b["message"], "Palette has 16 colours");
    EXPECT_EQ(b["line"], 8);
    EXPECT_EQ(b["show"], 2);

    EXPECT_THROW(LogView(Verbosity::Normal, stderr, "/nonexistent/folder/log.jsonl"), std::runtime_error);
}

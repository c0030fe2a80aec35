// The engine's error log and its error-code objects.
//
// Every failure and trace line of the plug-in goes through KEL_ERR::log on the
// global `err`. The log keeps every entry in memory (tests read them back; the
// host prints them) and hands each new entry to an optional sink.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "kel/types.h"

struct KEL_LOG_ENTRY {
    int32_t code = 0;
    std::string source;   // source file name ("edstprnt", "rtfblk", "Destination", ...)
    int line = 0;
    ERR_LABEL label = 0;
    ERR_SHOW show = 0;
    ERR_ACTION action = 0;
    ERR_DETAIL detail = 0;
    std::string message;  // the formatted message
};

class KEL_API KEL_ERR {
public:
    // Formats `format` printf-style (any length; a null format gives an empty
    // message), records the entry and returns `code` unchanged, so a failing
    // operation can report and return in one step. Safe to call from any thread.
    int log(int32_t code, const char* source_file, int line, ERR_LABEL label, ERR_SHOW show,
            ERR_ACTION action, ERR_DETAIL detail, const char* format, ...) KEL_PRINTF(9, 10);

    // Recorded entries, oldest first (a copy: the log may grow meanwhile).
    std::vector<KEL_LOG_ENTRY> entries() const;
    size_t count() const;
    void clear();

    // Called with every new entry after it is recorded (null to remove), outside
    // the log's lock. The host prints entries this way. An entry logged from inside
    // the sink is recorded but not handed to the sink again.
    void set_sink(std::function<void(const KEL_LOG_ENTRY&)> sink);

    // At most this many entries are kept in memory; older ones are dropped first
    // (a long job must not grow without bound). 0 means keep none.
    void set_capacity(size_t entries);

private:
    mutable std::mutex mutex_;
    std::deque<KEL_LOG_ENTRY> entries_;  // a deque: dropping the oldest entry is O(1)
    size_t capacity_ = 100000;
    std::function<void(const KEL_LOG_ENTRY&)> sink_;
};

// The engine's one log object.
// Its link name is "kel_err": the C library exports a function err(3), which would
// otherwise take the object's place for any module that finds the C library first.
extern KEL_API KEL_ERR err __asm__("kel_err");

// An engine error kind holding one text. error() reports it to the log (code
// KEL_ERR_GENERAL, source = caller, label 9, show 2, the given action, detail 1);
// the process always goes on.
class KEL_API ERRCODE {
public:
    constexpr ERRCODE(const char* text) : message(text) {}
    void error(const char* caller, int action, const char* format = nullptr, ...) const KEL_PRINTF(4, 5);
    const char* text() const { return message; }

private:
    const char* message;
};

// The twelve error kinds, set up in every unit that includes this header.
static const ERRCODE ERR_ASSERT_FAILED("Assert failed");
static const ERRCODE ERR_CANT_OPEN_FILE("Can't open file");
static const ERRCODE ERR_CANT_CREATE_FILE("Can't create file");
static const ERRCODE ERR_CANT_CREATE_PIPE("Can't create pipe");
static const ERRCODE ERR_CANT_RECONNECT_PIPES("Can't reconnect pipes to stdin/stdout");
static const ERRCODE ERR_READ_FAILED("Read of file failed");
static const ERRCODE ERR_WRITE_FAILED("Write of file failed");
static const ERRCODE ERR_SELECT_FAILED("Select failed");
static const ERRCODE ERR_EXEC_FAILED("Could not exec new process");
static const ERRCODE ERR_NO_LIST_COPY("Can't create a list by assignment");
static const ERRCODE ERR_NO_LIST_ASSIGN("Can't assign to lists");
static const ERRCODE ERR_SERIALISE_LINK("Attempted to (de)serialise a link element");

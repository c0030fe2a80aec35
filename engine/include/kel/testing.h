// Test helpers of the engine runtime: a store that serves given data and plays a
// script of results, so a destination can be driven without decoding a scan.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "kel/objects.h"
#include "kel/xform.h"

// A store over data it was given:
//  - pixel mode: `lines` lines of `stride` bytes from `pixels`, top line first.
//    A Pull into a strip (EBITMAP_STRIP, EBITMAP_PSTRIP) copies the next line into
//    the strip's line memory (as many bytes as both lines have; the rest of the
//    strip's line is zeroed) and answers KEL_MORE, or KEL_DONE for the last line.
//    A Pull into a whole EBITMAP with pixel memory (Allocate) fills every line
//    and answers KEL_DONE.
//  - outline mode: a Pull into an EBEZIERS copies the drawing into it and answers
//    KEL_OK.
// Pull answers KEL_ERR_BAD_STATE before a successful Setup and after the last line,
// KEL_CANCELLED after a successful Cancel, KEL_ERR_BAD_ARGUMENT for a null holder
// or a strip without line memory, KEL_ERR_UNSUPPORTED for a holder of another kind.
// Setup starts over from the first line.
//
// Script: setup_result, done_result and cancel_result are what those calls
// answer; pull_results[n] replaces the answer of the n-th Pull after Setup (0 is
// the first; the data are still delivered). Record: the call counters and `calls`,
// the names of the calls in order ("Setup", "Pull", "Done", "Cancel").
class KEL_API ESCRIPTEDSTORE : public ESTORE {
public:
    ESCRIPTEDSTORE(std::vector<unsigned char> pixels, int stride, int lines);
    explicit ESCRIPTEDSTORE(const CLART& art);

    int Setup() override;
    int Pull(EHOLDER* holder) override;
    int Done() override;
    int Cancel() override;
    const char* Name() override;  // "ESCRIPTEDSTORE"

    // Lines delivered since the last Setup.
    int lines_served() const { return next_line_; }

    int setup_result = KEL_OK;
    int done_result = KEL_OK;
    int cancel_result = KEL_OK;
    std::map<int, int> pull_results;

    int setup_calls = 0;
    int pull_calls = 0;  // since construction
    int done_calls = 0;
    int cancel_calls = 0;
    std::vector<std::string> calls;

private:
    int serve(EHOLDER* holder);
    int serve_line(unsigned char* destination, int destination_bytes);

    bool outlines_;
    std::vector<unsigned char> pixels_;
    int stride_ = 0;
    int lines_ = 0;
    CLART art_;
    bool set_up_ = false;
    bool cancelled_ = false;
    int next_line_ = 0;
    int pulls_since_setup_ = 0;
};

// A small engine for driving a destination in tests: typed regions built from
// values, stores that serve scripted lines or outlines, and a progress monitor
// that records its reports and can cancel.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kel/kel.h"

namespace testengine {

// A region of class `cls` that also answers IsA for `families`; its rectangle
// is (left, top)-(right, bottom) in pixels at `dpi`, its polygon the rectangle's
// corners unless given.
class Region : public ETYPEDREGION {
public:
    Region(CLASS_ID cls, std::vector<CLASS_ID> families, float left, float top, float right, float bottom,
           float dpi = 300, bool colour = true)
        : cls_(cls),
          families_(std::move(families)),
          rect_(left, top, right, bottom, ECOORDXLATOR(ERESOLUTION(dpi), EPOINT(0, 0))),
          polygon_({EPOINT(left, top), EPOINT(right, top), EPOINT(right, bottom), EPOINT(left, bottom)},
                   ECOORDXLATOR(ERESOLUTION(dpi), EPOINT(0, 0))),
          colour_(colour) {}

    EBOOL8 IsA(CLASS_ID id) override {
        if (id == cls_) return 1;
        for (CLASS_ID f : families_)
            if (f == id) return 1;
        return 0;
    }
    CLASS_ID ClassID() override { return cls_; }
    const ERECTANGLE* GetRectangle() override { return &rect_; }
    EBOOL8 HasColor() override { return colour_; }
    int GetOrderKey() override { return order_key; }
    int GetPolygon(EPOLYGON** polygon) override {
        *polygon = &polygon_;
        return 0;
    }
    int GetOrientation(int* orientation) override {
        *orientation = 0;
        return 0;
    }
    void set_polygon(std::vector<EPOINT> points) { polygon_.points = std::move(points); }

    int order_key = 0;

private:
    CLASS_ID cls_;
    std::vector<CLASS_ID> families_;
    ERECTANGLE rect_;
    EPOLYGON polygon_;
    bool colour_;
};

// The exact-class regions the destination knows, with their usual families.
inline Region* page_region(float w, float h, float dpi = 300, bool colour = true) {
    return new Region(CID_PAGE_REGION, {}, 0, 0, w, h, dpi, colour);
}

// A store serving `lines` lines of a bitmap: line i is filled by `fill(i, memory,
// bytes)`. Results can be scripted per call; every call is recorded.
class Store : public ESTORE {
public:
    std::function<void(int line, unsigned char* memory, int bytes)> fill = [](int, unsigned char* m, int n) {
        memset(m, 0xFF, n);
    };
    int setup_result = 0;
    int done_result = 0;
    int cancel_result = 0;
    std::map<int, int> pull_results;  // line -> result to answer instead
    CLART art;                        // served to outline holders
    int lines = -1;                   // -1: the holder's height

    std::string calls;
    int pulled = 0;
    bool cancelled = false;

    int Setup() override {
        calls += "Setup ";
        pulled = 0;
        return setup_result;
    }
    int Done() override {
        calls += "Done ";
        return done_result;
    }
    int Cancel() override {
        calls += "Cancel ";
        cancelled = true;
        return cancel_result;
    }
    int Pull(EHOLDER* holder) override {
        calls += "Pull ";
        int line = pulled++;
        auto scripted = pull_results.find(line);
        if (auto* beziers = dynamic_cast<EBEZIERS*>(holder)) {
            *beziers->GetArt() = art;
            return scripted != pull_results.end() ? scripted->second : KEL_DONE;
        }
        auto* strip = dynamic_cast<EBITMAP_STRIP*>(holder);
        if (!strip) return KEL_ERR_BAD_ARGUMENT;
        if (scripted != pull_results.end()) return scripted->second;
        int total = lines >= 0 ? lines : height;
        if (strip->GetLine()) fill(line, strip->GetLine(), strip->GetBytesPerLine());
        return line + 1 < total ? KEL_MORE : KEL_DONE;
    }

    int height = 0;  // set by the test to the wanted bitmap's height
};

// Records reports; answers KEL_CANCELLED at report number `cancel_at` (0 = the
// start report), never when negative.
class Monitor : public PROGRESSINFO {
public:
    int cancel_at = -1;
    std::vector<float> reports;
    int starts = 0;
    std::function<void()> on_update;
    int Start(int) override {
        ++starts;
        return 0;
    }
    int Update(float percent, EOBJECT*, int) override {
        reports.push_back(percent);
        if (on_update) on_update();
        return (int)reports.size() - 1 == cancel_at ? KEL_CANCELLED : 0;
    }
};

// Entries of the log whose message equals `message`.
inline int count_log(const std::string& message) {
    int n = 0;
    for (const auto& e : err.entries())
        if (e.message == message) ++n;
    return n;
}

inline const KEL_LOG_ENTRY* find_log(const std::string& message) {
    static std::vector<KEL_LOG_ENTRY> kept;
    kept = err.entries();
    for (const auto& e : kept)
        if (e.message == message) return &e;
    return nullptr;
}

// label/show/action/detail as one number, e.g. 9122.
inline int classification(const KEL_LOG_ENTRY& e) {
    return e.label * 1000 + e.show * 100 + e.action * 10 + e.detail;
}

}  // namespace testengine

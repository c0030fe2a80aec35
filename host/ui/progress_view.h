// What the user sees while pages print: on a terminal one line that redraws
// itself ("page 2 of 5 [#######.......] 45%  scan.tif page 2"), elsewhere plain
// lines, one when a page starts and one when it is done. Quiet shows nothing.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "job/print_job.h"

namespace lucentra {

class ProgressView : public JobObserver {
public:
    enum class Style { Bar, Lines, Silent };
    // `between` is called between pages (to dispatch the thread's messages).
    ProgressView(FILE* out, Style style, std::function<void()> between = {});

    void page_started(int page, int pages, const std::string& label) override;
    void page_progress(int page, int pages, float percent) override;
    void page_finished(int page, int pages) override;
    void between_pages() override;

    // Ends the bar's line, so that other output starts on a fresh one.
    void break_line();

private:
    void draw(int page, int pages, float percent);

    FILE* out_;
    Style style_;
    std::function<void()> between_;
    std::string label_;
    bool bar_open_ = false;
    int last_drawn_ = -1;
};

}  // namespace lucentra

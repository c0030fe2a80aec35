#include "ui/progress_view.h"

#include <cmath>

namespace lucentra {

ProgressView::ProgressView(FILE* out, Style style, std::function<void()> between)
    : out_(out), style_(style), between_(std::move(between)) {}

void ProgressView::draw(int page, int pages, float percent) {
    const int width = 24;
    const int filled = (int)std::lround(percent / 100.0f * width);
    // Redraw only when something visible changes.
    const int key = page * 1000 + (int)percent;
    if (key == last_drawn_) return;
    last_drawn_ = key;
    std::string bar(filled, '#');
    bar.append(width - filled, '.');
    fprintf(out_, "\r\033[Kpage %d of %d [%s] %3d%%  %s", page, pages, bar.c_str(), (int)percent, label_.c_str());
    fflush(out_);
    bar_open_ = true;
}

void ProgressView::page_started(int page, int pages, const std::string& label) {
    label_ = label;
    if (style_ == Style::Bar) draw(page, pages, 0);
    if (style_ == Style::Lines) fprintf(out_, "page %d of %d: %s\n", page, pages, label.c_str());
}

void ProgressView::page_progress(int page, int pages, float percent) {
    if (style_ == Style::Bar) draw(page, pages, percent);
}

void ProgressView::page_finished(int page, int pages) {
    if (style_ == Style::Bar) draw(page, pages, 100);
    if (style_ == Style::Lines) fprintf(out_, "page %d of %d: done\n", page, pages);
}

void ProgressView::between_pages() {
    if (between_) between_();
}

void ProgressView::break_line() {
    if (!bar_open_) return;
    fprintf(out_, "\n");
    fflush(out_);
    bar_open_ = false;
    last_drawn_ = -1;
}

}  // namespace lucentra

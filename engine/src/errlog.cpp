// The engine's error log and ERRCODE reporting.
#include "kel/errlog.h"

#include <cstdarg>
#include <cstdio>

KEL_ERR err;

namespace {

// vsnprintf into a string of whatever length the message needs: the first call
// measures, the second writes. A format the C library rejects gives "".
std::string format_message(const char* format, va_list args) {
    if (format == nullptr) return std::string();
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed <= 0) return std::string();
    std::string text((size_t)needed, '\0');
    // vsnprintf writes the terminating zero too; std::string keeps room for it.
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

// Set while this thread runs the sink, so an entry the sink logs is not fed back.
thread_local bool in_sink = false;

}  // namespace

int KEL_ERR::log(int32_t code, const char* source_file, int line, ERR_LABEL label, ERR_SHOW show,
                 ERR_ACTION action, ERR_DETAIL detail, const char* format, ...) {
    KEL_LOG_ENTRY entry;
    entry.code = code;
    entry.source = source_file ? source_file : "";
    entry.line = line;
    entry.label = label;
    entry.show = show;
    entry.action = action;
    entry.detail = detail;
    va_list args;
    va_start(args, format);
    entry.message = format_message(format, args);
    va_end(args);

    std::function<void(const KEL_LOG_ENTRY&)> sink;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!in_sink) sink = sink_;
        if (capacity_ > 0) {
            while (entries_.size() >= capacity_) entries_.pop_front();
            if (sink)
                entries_.push_back(entry);
            else
                entries_.push_back(std::move(entry));
        }
    }
    // The sink runs outside the lock: it may print slowly or read the log back.
    // No exception of a sink may leave the log (its callers are engine calls).
    if (sink) {
        in_sink = true;
        try {
            sink(entry);
        } catch (...) {
        }
        in_sink = false;
    }
    return code;
}

std::vector<KEL_LOG_ENTRY> KEL_ERR::entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<KEL_LOG_ENTRY>(entries_.begin(), entries_.end());
}

size_t KEL_ERR::count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

void KEL_ERR::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

void KEL_ERR::set_sink(std::function<void(const KEL_LOG_ENTRY&)> sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    sink_ = std::move(sink);
}

void KEL_ERR::set_capacity(size_t max_entries) {
    std::lock_guard<std::mutex> lock(mutex_);
    capacity_ = max_entries;
    while (entries_.size() > capacity_) entries_.pop_front();
}

void ERRCODE::error(const char* caller, int action, const char* format, ...) const {
    // The entry's message is the error kind's text, followed by the caller's
    // details when there are any.
    std::string text = message ? message : "";
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        std::string details = format_message(format, args);
        va_end(args);
        if (!details.empty()) text += ": " + details;
    }
    err.log(KEL_ERR_GENERAL, caller ? caller : "", 0, 9, 2, action, 1, "%s", text.c_str());
}

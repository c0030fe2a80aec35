#include "print/trace.h"

#include <mutex>

#include "pw/spool.h"

namespace pw::print {
namespace {
std::mutex trace_mutex;
JournalDevice::Sink& trace_sink() {
    static JournalDevice::Sink sink;
    return sink;
}
}  // namespace

JournalDevice::Sink printer_trace_sink() {
    std::lock_guard<std::mutex> lock(trace_mutex);
    return trace_sink();
}
}  // namespace pw::print

void pw_set_printer_trace(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> lock(pw::print::trace_mutex);
    pw::print::trace_sink() = std::move(sink);
}

#include "ui/log_view.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace lucentra {

bool log_entry_shown(const KEL_LOG_ENTRY& entry, Verbosity verbosity) {
    switch (verbosity) {
    case Verbosity::Quiet: return false;
    // Failures are not shown as they happen: the command ends with one line
    // naming the failure that stopped the job.
    case Verbosity::Normal: return entry.show == 2 && entry.detail != 1 && entry.detail != 4;
    case Verbosity::Verbose: return true;
    }
    return false;
}

std::string format_log_entry(const KEL_LOG_ENTRY& entry, Verbosity verbosity) {
    const char* kind;
    if (entry.code == 0 && entry.detail != 4) {
        kind = "note";
    } else {
        switch (entry.detail) {
        case 1: kind = "error"; break;
        case 2: kind = "internal error"; break;
        case 3: kind = "note"; break;
        case 4: kind = "trace"; break;
        default: kind = "log"; break;
        }
    }
    // Some messages carry their own line end; one entry stays one line.
    std::string message = entry.message;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    for (char& c : message)
        if (c == '\n' || c == '\r') c = ' ';
    std::string line = std::string("lucentra: ") + kind + ": " + message;
    if (verbosity == Verbosity::Verbose) {
        char where[96];
        snprintf(where, sizeof where, " [%s:%d 0x%08X]", entry.source.c_str(), entry.line, (unsigned)entry.code);
        line += where;
    }
    return line;
}

std::string log_entry_json(const KEL_LOG_ENTRY& entry) {
    nlohmann::json j = {{"code", entry.code},     {"source", entry.source}, {"line", entry.line},
                        {"label", entry.label},   {"show", entry.show},     {"action", entry.action},
                        {"detail", entry.detail}, {"message", entry.message}};
    // Messages come from C formatting of whatever the plug-in had; never let a
    // stray byte make the whole line unreadable.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

LogView::LogView(Verbosity verbosity, FILE* out, const std::string& json_path) : verbosity_(verbosity), out_(out) {
    if (!json_path.empty()) {
        json_ = fopen(json_path.c_str(), "w");
        if (!json_) throw std::runtime_error("cannot write the log file " + json_path + ": " + strerror(errno));
    }
    err.set_sink([this](const KEL_LOG_ENTRY& entry) { write(entry); });
}

LogView::~LogView() {
    err.set_sink(nullptr);
    if (json_) fclose(json_);
}

void LogView::write(const KEL_LOG_ENTRY& entry) {
    if (json_) {
        std::string line = log_entry_json(entry);
        fprintf(json_, "%s\n", line.c_str());
        fflush(json_);
    }
    if (log_entry_shown(entry, verbosity_)) {
        if (before_line_) before_line_();
        fprintf(out_, "%s\n", format_log_entry(entry, verbosity_).c_str());
    }
}

}  // namespace lucentra

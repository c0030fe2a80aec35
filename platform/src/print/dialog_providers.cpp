#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "print/dialog_provider.h"
#include "print/text.h"

namespace pw::print {
namespace {

std::mutex provider_mutex;
PwPrintDialogProvider current_provider;  // guarded; empty = accept the default

PW_PRINT_DIALOG_ANSWER accept(const PW_PRINT_DIALOG_REQUEST&) { return PW_PRINT_DIALOG_ANSWER::Ok(); }

// One menu on a terminal. Returns the answer, or nothing at end of input.
PW_PRINT_DIALOG_ANSWER menu(FILE* in, FILE* out, const PW_PRINT_DIALOG_REQUEST& r) {
    std::fprintf(out, "%s\n", r.setup_only ? "Print Setup" : "Print");
    for (size_t i = 0; i < r.printers.size(); ++i) {
        const std::string& name = r.printers[i];
        std::fprintf(out, "  %zu. %s%s%s\n", i + 1, name.c_str(),
                     lower(name) == lower(r.default_printer) ? "  (default)" : "",
                     lower(name) == lower(r.current) ? "  *" : "");
    }
    while (true) {
        std::fprintf(out, "Printer number, Enter for %s, or c to cancel: ", r.current.c_str());
        std::fflush(out);
        char line[256];
        if (!std::fgets(line, sizeof line, in)) {
            std::fprintf(out, "\n");
            return PW_PRINT_DIALOG_ANSWER::Cancel();
        }
        std::string t = lower(trim(line));
        if (t.empty()) return PW_PRINT_DIALOG_ANSWER::Ok(r.current);
        if (t == "c" || t == "cancel" || t == "q") return PW_PRINT_DIALOG_ANSWER::Cancel();
        auto n = parse_number(t);
        if (n && *n >= 1 && *n <= static_cast<double>(r.printers.size()) && *n == static_cast<int>(*n))
            return PW_PRINT_DIALOG_ANSWER::Ok(r.printers[static_cast<size_t>(*n) - 1]);
        std::fprintf(out, "There is no printer '%s'.\n", trim(line).c_str());
    }
}

}  // namespace

PW_PRINT_DIALOG_ANSWER ask_provider(const PW_PRINT_DIALOG_REQUEST& request) {
    PwPrintDialogProvider provider;
    {
        std::lock_guard lock(provider_mutex);
        provider = current_provider;
    }
    if (!provider) return accept(request);
    try {
        return provider(request);
    } catch (...) {
        return PW_PRINT_DIALOG_ANSWER::Error(CDERR_DIALOGFAILURE);
    }
}

}  // namespace pw::print

using namespace pw::print;

void pw_set_print_dialog_provider(PwPrintDialogProvider provider) {
    std::lock_guard lock(provider_mutex);
    current_provider = std::move(provider);
}

PwPrintDialogProvider pw_print_dialog_accept_default() { return &accept; }

PwPrintDialogProvider pw_print_dialog_script(std::vector<PW_PRINT_DIALOG_ANSWER> answers,
                                             std::vector<PW_PRINT_DIALOG_REQUEST>* asked) {
    auto state = std::make_shared<std::pair<std::vector<PW_PRINT_DIALOG_ANSWER>, size_t>>(std::move(answers), 0);
    return [state, asked](const PW_PRINT_DIALOG_REQUEST& r) {
        if (asked) asked->push_back(r);
        if (state->second >= state->first.size()) return PW_PRINT_DIALOG_ANSWER::Cancel();
        return state->first[state->second++];
    };
}

PwPrintDialogProvider pw_print_dialog_terminal(FILE* in, FILE* out) {
    return [in, out](const PW_PRINT_DIALOG_REQUEST& r) {
        if (in && out) return menu(in, out, r);
        // The person at the terminal, even when standard input is a pipe.
        std::unique_ptr<FILE, int (*)(FILE*)> tty(std::fopen("/dev/tty", "r+"), &std::fclose);
        if (!tty) return accept(r);
        return menu(tty.get(), tty.get(), r);
    };
}

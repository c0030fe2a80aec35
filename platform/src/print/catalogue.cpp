#include "print/catalogue.h"

#include <cstring>
#include <mutex>

#include "print/ipp_client.h"
#include "print/last_error.h"
#include "print/printers_file.h"
#include "print/text.h"
#include "pw/spool.h"

namespace pw::print {
namespace {

std::mutex state_mutex;
std::string default_override;  // guarded by state_mutex
std::string output_path;       // guarded by state_mutex

}  // namespace

std::optional<Printer> find_printer(const std::string& name, std::string* why) {
    std::string key = lower(trim(name));
    if (key.empty()) {
        *why = "no printer name was given";
        return std::nullopt;
    }
    PrintersConfig config = load_printers_config();
    for (Printer& p : config.printers) {
        if (lower(p.name) != key) continue;
        if (p.kind == Kind::ipp && !query_ipp_printer(p)) {
            *why = p.problem;
            return std::nullopt;
        }
        return p;
    }
    if (is_ipp_uri(trim(name))) {
        Printer p;
        p.name = trim(name);
        p.uri = p.name;
        p.origin = "uri";
        if (!query_ipp_printer(p)) {
            *why = p.problem;
            return std::nullopt;
        }
        return p;
    }
    Printer queue;
    if (find_cups_queue(trim(name), &queue)) {
        if (!queue.problem.empty()) {
            *why = queue.problem;
            return std::nullopt;
        }
        return queue;
    }
    *why = "there is no printer '" + trim(name) + "'";
    return std::nullopt;
}

std::vector<Printer> all_printers(bool ask_ipp) {
    std::vector<Printer> list = load_printers_config().printers;
    std::string cups_default;
    for (Printer& q : cups_queues(&cups_default)) {
        bool shadowed = false;
        for (const Printer& p : list) shadowed = shadowed || lower(p.name) == lower(q.name);
        q.cups_default = q.name == cups_default;
        if (!shadowed) list.push_back(std::move(q));
    }
    if (ask_ipp) {
        for (Printer& p : list) {
            if (p.kind == Kind::ipp) query_ipp_printer(p);
        }
    }
    return list;
}

std::string default_printer_name() {
    {
        std::lock_guard lock(state_mutex);
        if (!default_override.empty()) return default_override;
    }
    return load_printers_config().default_name;
}

bool is_default_printer(const std::string& name) { return lower(name) == lower(default_printer_name()); }

void set_default_printer_override(const std::string& name) {
    std::lock_guard lock(state_mutex);
    default_override = name;
}

std::string output_override() {
    std::lock_guard lock(state_mutex);
    return output_path;
}

void set_output_override(const std::string& path) {
    std::lock_guard lock(state_mutex);
    output_path = path;
}

}  // namespace pw::print

using namespace pw::print;

void pw_set_print_output(const char* path) { set_output_override(path ? path : ""); }

BOOL pw_set_default_printer(const char* name) {
    if (!name || !*name) {
        set_default_printer_override("");
        return TRUE;
    }
    std::string why;
    auto p = find_printer(name, &why);
    if (!p) {
        set_print_error(why);
        return FALSE;
    }
    set_default_printer_override(p->name);
    return TRUE;
}

BOOL GetDefaultPrinterA(LPSTR buffer, LPDWORD size) {
    if (!size) return FALSE;
    std::string name = default_printer_name();
    DWORD need = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *size < need) {
        *size = need;
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), need);
    *size = need;
    return TRUE;
}

std::vector<PW_PRINTER_INFO> pw_list_printers() {
    std::vector<PW_PRINTER_INFO> out;
    const std::string def = default_printer_name();
    for (const Printer& p : all_printers(true)) {
        PW_PRINTER_INFO info;
        info.name = p.name;
        info.kind = kind_name(p.kind);
        info.origin = p.origin;
        info.target = p.kind == Kind::ipp ? (p.uri.empty() ? "cups:" + p.name : p.uri)
                                          : (p.output.empty() ? "(named after the document)" : p.output);
        for (const Resolution& r : p.resolutions) info.resolutions.push_back({r.x, r.y});
        info.resolution = {p.resolution.x, p.resolution.y};
        info.paper = p.paper.name;
        info.paper_width = p.paper.width;
        info.paper_height = p.paper.height;
        info.printable_left = p.margins.left;
        info.printable_top = p.margins.top;
        info.printable_width = p.paper.width - p.margins.left - p.margins.right;
        info.printable_height = p.paper.height - p.margins.top - p.margins.bottom;
        info.colour = p.colour;
        info.is_default = lower(p.name) == lower(def);
        info.cups_default = p.cups_default;
        info.problem = p.problem;
        out.push_back(std::move(info));
    }
    return out;
}

#include "print/ipp_client.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "print/text.h"

namespace pw::print {
namespace {

constexpr int kConnectMs = 4000;        // a printer or server that is gone fails in this time
constexpr double kIoTimeoutSec = 60.0;  // one request may take this long, e.g. a big upload

// A destination with its connection and capabilities, released in one place.
struct Dest {
    cups_dest_t* dest = nullptr;  // from cupsGetDestWithURI / cupsGetNamedDest / cupsCopyDest
    http_t* http = nullptr;
    cups_dinfo_t* info = nullptr;
    char resource[1024] = "";
    Dest() = default;
    Dest(const Dest&) = delete;
    Dest& operator=(const Dest&) = delete;
    ~Dest() {
        if (info) cupsFreeDestInfo(info);
        if (http) httpClose(http);
        if (dest) cupsFreeDests(1, dest);
    }
};

std::string last_cups_error() {
    const char* s = cupsLastErrorString();
    return s && *s ? s : "unknown error";
}

// A connection to the CUPS server, or null when none answers in time.
http_t* connect_server() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 2000, nullptr);
}

// The cups_dest_t of a printer: from its URI, or the server's queue of that name.
cups_dest_t* make_dest(const Printer& p, std::string* why) {
    if (!p.uri.empty()) {
        cups_dest_t* d = cupsGetDestWithURI(nullptr, p.uri.c_str());
        if (!d) *why = "'" + p.uri + "' is not a printer URI";
        return d;
    }
    http_t* server = connect_server();
    if (!server) {
        *why = "no CUPS server answers, so there is no queue '" + p.name + "'";
        return nullptr;
    }
    cups_dest_t* d = cupsGetNamedDest(server, p.name.c_str(), nullptr);
    httpClose(server);
    if (!d) *why = "the CUPS server has no printer '" + p.name + "'";
    return d;
}

// A printer given by URI is reached directly (its "device"); a CUPS queue through
// the CUPS server.
unsigned connect_flags(const Printer& p) { return p.uri.empty() ? CUPS_DEST_FLAGS_NONE : CUPS_DEST_FLAGS_DEVICE; }

// Connects to the printer. cupsConnectDest can hand back a connection object whose
// connect failed (no socket), so that is checked too.
bool connect(Dest& d, const Printer& p, std::string* why) {
    int cancel = 0;
    d.http = cupsConnectDest(d.dest, connect_flags(p), kConnectMs, &cancel, d.resource, sizeof d.resource,
                             nullptr, nullptr);
    if (d.http && httpGetFd(d.http) < 0) {
        httpClose(d.http);
        d.http = nullptr;
    }
    if (!d.http) {
        const std::string where = p.uri.empty() || p.uri == p.name ? "'" + p.name + "'" : "'" + p.name + "' (" + p.uri + ")";
        *why = "printer " + where + " does not answer: " + last_cups_error();
        return false;
    }
    httpSetTimeout(d.http, kIoTimeoutSec, nullptr, nullptr);
    return true;
}

// Connects to the printer and reads its capabilities.
std::unique_ptr<Dest> open_dest(const Printer& p, std::string* why) {
    auto d = std::make_unique<Dest>();
    d->dest = make_dest(p, why);
    if (!d->dest) return nullptr;
    if (!connect(*d, p, why)) return nullptr;
    d->info = cupsCopyDestInfo(d->http, d->dest);
    if (!d->info) {
        *why = "printer '" + p.name + "' does not tell its capabilities: " + last_cups_error();
        return nullptr;
    }
    return d;
}

std::vector<Resolution> resolutions_of(ipp_attribute_t* attr) {
    std::vector<Resolution> list;
    for (int i = 0; attr && i < ippGetCount(attr); ++i) {
        ipp_res_t units;
        int y = 0;
        int x = ippGetResolution(attr, i, &y, &units);
        if (units == IPP_RES_PER_CM) {
            x = static_cast<int>(x * 2.54 + 0.5);
            y = static_cast<int>(y * 2.54 + 0.5);
        }
        if (x > 0 && y > 0) list.push_back({x, y});
    }
    return list;
}

bool has_keyword(ipp_attribute_t* attr, const char* word) {
    for (int i = 0; attr && i < ippGetCount(attr); ++i) {
        const char* s = ippGetString(attr, i, nullptr);
        if (s && std::strcmp(s, word) == 0) return true;
    }
    return false;
}

int member_int(ipp_t* col, const char* name) {
    ipp_attribute_t* a = col ? ippFindAttribute(col, name, IPP_TAG_INTEGER) : nullptr;
    return a ? ippGetInteger(a, 0) : -1;
}

// Size and margins of the default media; false when the printer gives none.
bool read_default_media(Dest& d, Paper* paper, Margins* margins) {
    ipp_attribute_t* col_attr = cupsFindDestDefault(d.http, d.dest, d.info, "media-col");
    ipp_t* col = col_attr ? ippGetCollection(col_attr, 0) : nullptr;
    ipp_attribute_t* size_attr = col ? ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION) : nullptr;
    ipp_t* size = size_attr ? ippGetCollection(size_attr, 0) : nullptr;
    int w = member_int(size, "x-dimension"), h = member_int(size, "y-dimension");
    if (w > 0 && h > 0) {
        *paper = paper_by_size(w, h);
        Margins m{member_int(col, "media-left-margin"), member_int(col, "media-top-margin"),
                  member_int(col, "media-right-margin"), member_int(col, "media-bottom-margin")};
        *margins = Margins{std::max(0, m.left), std::max(0, m.top), std::max(0, m.right), std::max(0, m.bottom)};
        return true;
    }
    cups_size_t s;
    if (cupsGetDestMediaDefault(d.http, d.dest, d.info, CUPS_MEDIA_FLAGS_DEFAULT, &s) && s.width > 0 && s.length > 0) {
        *paper = paper_by_size(s.width, s.length);
        *margins = Margins{s.left, s.top, s.right, s.bottom};
        return true;
    }
    return false;
}

}  // namespace

bool is_ipp_uri(const std::string& name) {
    std::string l = lower(name);
    return l.rfind("ipp://", 0) == 0 || l.rfind("ipps://", 0) == 0;
}

bool query_ipp_printer(Printer& p) {
    p.kind = Kind::ipp;
    // Safe defaults, so a printer that does not answer can still be listed.
    if (p.resolutions.empty()) p.resolutions = {{600, 600}};
    if (p.resolution.x == 0) p.resolution = p.resolutions.back();
    if (p.paper.width == 0) p.paper = locale_paper();

    std::string why;
    auto d = open_dest(p, &why);
    if (!d) {
        p.problem = why;
        return false;
    }
    ipp_attribute_t* formats = cupsFindDestSupported(d->http, d->dest, d->info, "document-format");
    p.takes_pdf = has_keyword(formats, "application/pdf");
    p.takes_pwg = has_keyword(formats, "image/pwg-raster");
    ipp_attribute_t* types = cupsFindDestSupported(d->http, d->dest, d->info, "pwg-raster-document-type");
    p.pwg_types.clear();
    for (int i = 0; types && i < ippGetCount(types); ++i) {
        if (const char* s = ippGetString(types, i, nullptr)) p.pwg_types.push_back(s);
    }
    p.pwg_resolutions =
        resolutions_of(cupsFindDestSupported(d->http, d->dest, d->info, "pwg-raster-document-resolution"));

    // A PDF printer renders at its own resolution; a raster one takes only the
    // resolutions it lists for PWG raster.
    std::vector<Resolution> res = p.takes_pdf || p.pwg_resolutions.empty()
                                      ? resolutions_of(cupsFindDestSupported(d->http, d->dest, d->info,
                                                                             "printer-resolution"))
                                      : p.pwg_resolutions;
    if (!res.empty()) {
        p.resolutions = res;
        std::vector<Resolution> def =
            resolutions_of(cupsFindDestDefault(d->http, d->dest, d->info, "printer-resolution"));
        p.resolution = p.resolutions.back();
        for (const Resolution& r : p.resolutions) {
            if (!def.empty() && r == def.front()) p.resolution = r;
        }
    }

    ipp_attribute_t* colour = cupsFindDestSupported(d->http, d->dest, d->info, "color");
    if (colour && ippGetValueTag(colour) == IPP_TAG_BOOLEAN) {
        p.colour = ippGetBoolean(colour, 0) != 0;
    } else {
        p.colour = has_keyword(cupsFindDestSupported(d->http, d->dest, d->info, "print-color-mode"), "color");
    }
    read_default_media(*d, &p.paper, &p.margins);
    if (p.margins.left + p.margins.right >= p.paper.width || p.margins.top + p.margins.bottom >= p.paper.height)
        p.margins = Margins{};
    if (!p.takes_pdf && !p.takes_pwg) {
        p.problem = "printer '" + p.name + "' takes neither PDF nor PWG raster documents";
        return false;
    }
    p.problem.clear();
    return true;
}

std::vector<Printer> cups_queues(std::string* default_name) {
    std::vector<Printer> list;
    if (default_name) default_name->clear();
    http_t* server = connect_server();
    if (!server) return list;
    cups_dest_t* dests = nullptr;
    int n = cupsGetDests2(server, &dests);
    for (int i = 0; i < n; ++i) {
        if (dests[i].instance) continue;  // instances are option sets of the same queue
        Printer p;
        p.name = dests[i].name;
        p.kind = Kind::ipp;
        p.origin = "cups";
        if (dests[i].is_default && default_name) *default_name = p.name;
        list.push_back(std::move(p));
    }
    cupsFreeDests(n, dests);
    httpClose(server);
    return list;
}

bool find_cups_queue(const std::string& name, Printer* out) {
    http_t* server = connect_server();
    if (!server) return false;
    cups_dest_t* d = cupsGetNamedDest(server, name.c_str(), nullptr);
    httpClose(server);
    if (!d) return false;
    out->name = d->name;
    out->kind = Kind::ipp;
    out->origin = "cups";
    cupsFreeDests(1, d);
    query_ipp_printer(*out);
    return true;
}

std::string ipp_printer_answers(const Printer& p) {
    std::string why;
    auto d = std::make_unique<Dest>();
    d->dest = make_dest(p, &why);
    if (!d->dest) return why;
    connect(*d, p, &why);
    return why;
}

std::string send_ipp_job(const Printer& p, const std::string& title, const std::string& format,
                         FILE* document, bool monochrome) {
    std::string why;
    auto d = open_dest(p, &why);
    if (!d) return why;

    cups_option_t* options = nullptr;
    int n = 0;
    if (monochrome && p.colour) n = cupsAddOption("print-color-mode", "monochrome", n, &options);
    int job = 0;
    ipp_status_t st = cupsCreateDestJob(d->http, d->dest, d->info, &job, title.c_str(), n, options);
    cupsFreeOptions(n, options);
    if (st > IPP_STATUS_OK_EVENTS_COMPLETE || job <= 0)
        return "printer '" + p.name + "' refused the job: " + last_cups_error();

    auto fail = [&](const std::string& what) {
        std::string reason = "printer '" + p.name + "': " + what + ": " + last_cups_error();
        // The job must not stay half-sent on the printer; a fresh connection, since
        // the one that failed may be gone.
        Dest again;
        again.dest = d->dest;
        std::string ignored;
        if (connect(again, p, &ignored)) cupsCancelDestJob(again.http, again.dest, job);
        again.dest = nullptr;  // still d's
        return reason;
    };
    if (cupsStartDestDocument(d->http, d->dest, d->info, job, title.c_str(), format.c_str(), 0, nullptr, 1) !=
        HTTP_STATUS_CONTINUE)
        return fail("the document could not be started");
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, document)) > 0) {
        if (cupsWriteRequestData(d->http, buf, got) != HTTP_STATUS_CONTINUE) return fail("sending the document failed");
    }
    if (std::ferror(document)) return fail("reading the spooled document failed");
    if (cupsFinishDestDocument(d->http, d->dest, d->info) > IPP_STATUS_OK_EVENTS_COMPLETE)
        return fail("the printer did not accept the document");
    return {};
}

}  // namespace pw::print

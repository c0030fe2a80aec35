// DeviceCapabilitiesA: a printer's capabilities without a device context.
#include <cstring>
#include <vector>

#include "print/catalogue.h"
#include "print/devmode.h"
#include "print/last_error.h"
#include "pw/spool.h"

using namespace pw::print;

namespace {

// Papers a printer offers: its own first, then the common sizes a file printer can
// produce; an IPP printer offers the one paper it reported.
std::vector<Paper> papers_of(const Printer& p) {
    std::vector<Paper> list{p.paper};
    if (p.kind == Kind::ipp) return list;
    for (int code : {DMPAPER_LETTER, DMPAPER_A4, DMPAPER_LEGAL, DMPAPER_A5, DMPAPER_A3}) {
        auto paper = paper_by_code(code);
        if (paper && paper->dmpaper != p.paper.dmpaper) list.push_back(*paper);
    }
    return list;
}

}  // namespace

int DeviceCapabilitiesA(LPCSTR device, LPCSTR port, WORD capability, LPSTR output, const DEVMODEA* devmode) {
    if (!device) return -1;
    std::string why;
    auto printer = find_printer(device, &why);
    if (!printer) {
        set_print_error(why);
        return -1;
    }
    const Printer& p = *printer;
    switch (capability) {
        case DC_ENUMRESOLUTIONS: {
            if (output) {
                auto* pairs = reinterpret_cast<LONG*>(output);
                for (size_t i = 0; i < p.resolutions.size(); ++i) {
                    pairs[2 * i] = p.resolutions[i].x;
                    pairs[2 * i + 1] = p.resolutions[i].y;
                }
            }
            return static_cast<int>(p.resolutions.size());
        }
        case DC_PAPERS: {
            auto papers = papers_of(p);
            if (output) {
                auto* codes = reinterpret_cast<WORD*>(output);
                for (size_t i = 0; i < papers.size(); ++i) codes[i] = static_cast<WORD>(papers[i].dmpaper);
            }
            return static_cast<int>(papers.size());
        }
        case DC_PAPERSIZE: {
            auto papers = papers_of(p);
            if (output) {
                auto* sizes = reinterpret_cast<POINT*>(output);
                for (size_t i = 0; i < papers.size(); ++i) sizes[i] = POINT{papers[i].width / 10, papers[i].height / 10};
            }
            return static_cast<int>(papers.size());
        }
        case DC_PAPERNAMES: {
            auto papers = papers_of(p);
            if (output) {
                for (size_t i = 0; i < papers.size(); ++i) {
                    char* slot = output + 64 * i;
                    std::memset(slot, 0, 64);
                    std::strncpy(slot, papers[i].name.c_str(), 63);
                }
            }
            return static_cast<int>(papers.size());
        }
        case DC_COLORDEVICE: return p.colour ? 1 : 0;
        case DC_FIELDS: return static_cast<int>(devmode_for(p).dmFields);
        case DC_SIZE: return static_cast<int>(sizeof(DEVMODEA));
        case DC_EXTRA: return 0;
        case DC_VERSION: return DM_SPECVERSION;
        case DC_DRIVER: return 0x0100;
        case DC_COPIES: return 1;
        case DC_ORIENTATION: return 90;  // landscape turns the page a quarter counter-clockwise
        default: return -1;
    }
}

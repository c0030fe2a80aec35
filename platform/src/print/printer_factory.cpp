// Printer DCs: CreateDCA hands every driver other than "DISPLAY" to the factory
// registered here, which makes the device of the printer the name designates.
#include <algorithm>

#include "print/catalogue.h"
#include "print/trace.h"
#include "pw/journal_device.h"
#include "print/devmode.h"
#include "print/last_error.h"
#include "print/pdf_device.h"
#include "print/raster_printer_device.h"

namespace pw::print {
namespace {

bool offers(const Printer& p, const char* type) {
    return std::find(p.pwg_types.begin(), p.pwg_types.end(), type) != p.pwg_types.end();
}

std::unique_ptr<Device> device_for(const Printer& p, const JobSettings& s) {
    switch (p.kind) {
        case Kind::pdf: return std::make_unique<PdfPrinterDevice>(p, s, s.colour ? 24 : 8);
        case Kind::png:
            return std::make_unique<RasterPrinterDevice>(p, s, s.colour ? PixelFormat::bgr24 : PixelFormat::gray8,
                                                         RasterOutput::png);
        case Kind::fax: return std::make_unique<RasterPrinterDevice>(p, s, PixelFormat::mono1, RasterOutput::fax);
        case Kind::ipp: break;
    }
    // A monochrome IPP printer says so through 1 bit a pixel, as a monochrome
    // printer driver does; the application then sends gray or black and white.
    if (p.takes_pdf) return std::make_unique<PdfPrinterDevice>(p, s, !p.colour ? 1 : s.colour ? 24 : 8);
    if (s.colour && offers(p, "srgb_8"))
        return std::make_unique<RasterPrinterDevice>(p, s, PixelFormat::bgr24, RasterOutput::pwg, "srgb_8");
    if (p.colour && offers(p, "sgray_8"))
        return std::make_unique<RasterPrinterDevice>(p, s, PixelFormat::gray8, RasterOutput::pwg, "sgray_8");
    if (offers(p, "black_1"))
        return std::make_unique<RasterPrinterDevice>(p, s, PixelFormat::mono1, RasterOutput::pwg, "black_1");
    if (offers(p, "sgray_8"))
        return std::make_unique<RasterPrinterDevice>(p, s, PixelFormat::mono1, RasterOutput::pwg, "sgray_8");
    set_print_error("printer '" + p.name + "' takes no PWG raster type this layer writes");
    return nullptr;
}

std::unique_ptr<Device> make_printer_device(const char* driver, const char* device, const char* port,
                                            const DEVMODEA* devmode) {
    if (!device || !*device) {
        set_print_error("no printer name was given");
        return nullptr;
    }
    std::string why;
    auto printer = find_printer(device, &why);
    if (!printer) {
        set_print_error(why);
        return nullptr;
    }
    try {
        auto made = device_for(*printer, settings_from(*printer, devmode));
        if (made) {
            // With a trace requested, every call on the printer is written out
            // on its way to the printer's own device.
            if (auto sink = printer_trace_sink()) return std::make_unique<JournalDevice>(std::move(made), sink);
        }
        return made;
    } catch (const std::exception& e) {
        set_print_error("printer '" + printer->name + "': " + e.what());
        return nullptr;
    }
}

// Registered when the library loads; the factory list lives in a function-local
// static, so the order of static initialisers does not matter.
const int factory_id = pw_register_dc_factory(&make_printer_device);

}  // namespace
}  // namespace pw::print

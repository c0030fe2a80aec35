// The PDF printer device, on cairo's PDF surface.
//
// Images keep their own resolution: a DIB becomes one image at its pixel size,
// placed on the page by a transform, never resampled to the printer's resolution,
// and drawn without interpolation. Black-and-white DIBs become 1-bit stencil masks
// (SRCAND of black on white masks black onto the page; SRCCOPY paints the
// background colour, then masks the other); gray DIBs come out as DeviceGray.
// Paths stay curves. Raster operations PDF has no exact form for are drawn with the
// blend mode that matches them on white and black (SRCAND: multiply, SRCPAINT:
// screen, SRCINVERT: difference); others answer "unsupported", so the DC rasterises.
//
// The document goes to a file (written beside and renamed at EndDoc) or, for an IPP
// printer, to a temporary file sent as one job at EndDoc.
#pragma once

#include <cstdio>
#include <memory>

#include "print/output_file.h"
#include "print/printer_device.h"

#include <cairo.h>

namespace pw::print {

class PdfPrinterDevice : public PrinterDevice {
public:
    // `bits_pixel`: what GetDeviceCaps reports (1 for a monochrome IPP printer, so the
    // application knows; the PDF itself can hold any colour).
    PdfPrinterDevice(Printer printer, JobSettings settings, int bits_pixel);
    ~PdfPrinterDevice() override;
    const char* kind() const override { return "pdf"; }

protected:
    bool begin_document(std::string* why) override;
    bool begin_page(std::string* why) override;
    bool finish_page(std::string* why) override;
    bool finish_document(std::string* why) override;
    void discard_document() override;
    DrawStatus draw_stretch_dib(const StretchDibCall& call, int* lines) override;
    DrawStatus draw_fill_path(const FillPathCall& call) override;
    DrawStatus draw_pat_blt(const PatBltCall& call) override;

private:
    static cairo_status_t write_cb(void* self, const unsigned char* data, unsigned int length);
    void close_cairo();
    bool cairo_ok(std::string* why);

    std::unique_ptr<OutputFile> file_;  // file printers
    FILE* spool_ = nullptr;             // IPP printers: anonymous temporary file
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    bool write_failed_ = false;
    bool discarding_ = false;  // drop what cairo still writes while being torn down
};

}  // namespace pw::print

// The PDF printer device: writes the PDF itself (pdf_writer.h), one object after
// the other as the page is drawn.
//
// Images keep their own resolution: a DIB becomes one image at its pixel size,
// placed on the page by a transform, never resampled to the printer's resolution,
// and drawn without interpolation. It is compressed while StretchDIBits runs, on
// every core (pdf_flate.h), and written out at once, so the document never holds
// more than the image being compressed. Black-and-white DIBs become 1-bit stencil
// masks (SRCAND of black on white masks black onto the page; SRCCOPY paints the
// background white, then masks the black); gray DIBs become DeviceGray, other
// colour tables /Indexed. Paths stay curves. Raster operations PDF has no exact
// form for are drawn with the blend mode that matches them on white and black
// (SRCAND: multiply, SRCPAINT: screen, SRCINVERT: difference); others answer
// "unsupported", so the DC rasterises.
//
// The document goes to a file (written beside and renamed at EndDoc) or, for an IPP
// printer, to a temporary file sent as one job at EndDoc.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "print/output_file.h"
#include "print/pdf_writer.h"
#include "print/printer_device.h"

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
    bool written(std::string* why);
    // Writes an image object now and returns its name in the page's resources.
    std::string add_image(const struct PdfImage& image);

    std::unique_ptr<OutputFile> file_;  // file printers
    FILE* spool_ = nullptr;             // IPP printers: anonymous temporary file
    std::unique_ptr<PdfWriter> pdf_;
    int pages_object_ = 0;
    std::vector<int> page_objects_;
    // The page being drawn: its content stream and the resources it uses.
    std::string content_;
    std::vector<std::pair<std::string, int>> images_;  // resource name, object number
    bool multiply_ = false, screen_ = false, difference_ = false;
};

}  // namespace pw::print

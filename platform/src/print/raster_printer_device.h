// Printers that print on a raster page: "PNG" (one PNG file a page), "Fax" (a
// multi-page CCITT G4 TIFF) and IPP printers that take PWG raster but not PDF.
//
// Each page is recorded as its drawing calls (page_recording.h) and drawn at
// EndPage, band by band, on RasterDevices covering the printable area with
// exact GDI semantics; the whole sheet (white margins around the printable
// area) is encoded row by row as the bands are drawn, asking the abort
// procedure every few rows. Memory: the copies of the images drawn and one band
// of about 2 MB, rather than the whole page (about 100 MB at 600 dpi in colour). PNG pages and
// the TIFF are written beside their final names and renamed at EndDoc; a PWG
// document is spooled to a temporary file and sent as one job at EndDoc.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "print/output_file.h"
#include "print/page_recording.h"
#include "print/page_image.h"
#include "print/printer_device.h"
#include "print/raster_writers.h"
#include "pw/raster_device.h"

namespace pw::print {

enum class RasterOutput { png, fax, pwg };

class RasterPrinterDevice : public PrinterDevice {
public:
    // `pwg_type` (for RasterOutput::pwg): "srgb_8", "sgray_8" or "black_1".
    RasterPrinterDevice(Printer printer, JobSettings settings, PixelFormat format, RasterOutput output,
                        std::string pwg_type = {});
    ~RasterPrinterDevice() override;
    const char* kind() const override;

    // The file of page `n` for an output target: "%d" in the target is the page
    // number; otherwise "-N" goes before the ".png" (added when missing).
    static std::string png_page_path(const std::string& target, int n);

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
    PageImage sheet(RowFormat format);

    PixelFormat format_;
    RasterOutput output_;
    std::string pwg_type_;
    PageRecording page_;
    std::string draw_error_;                           // why a recorded page could not be drawn
    std::string target_;                               // PNG: the pattern of page files
    std::vector<std::unique_ptr<OutputFile>> pages_;   // PNG: written pages, renamed at EndDoc
    std::unique_ptr<OutputFile> file_;                 // fax
    std::unique_ptr<FaxTiffWriter> tiff_;
    FILE* spool_ = nullptr;                            // PWG: anonymous temporary file
    std::unique_ptr<PwgWriter> pwg_;
};

}  // namespace pw::print

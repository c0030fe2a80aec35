// The engine's transform ("xform") for a bitmap region of a scanned page: an
// ESTORE that produces the region's pixels one line per Pull, in exactly the form
// the destination asked for with WantsData.
//
// The form comes from the output holder that WantsData handed out (width,
// height, bits per pixel 1, 4, 8 or 24, bitmap type; type 2 with 8 bits means a
// palette image). Lines come top first:
//   - 24 bits: red, green, blue;
//   - 8 bits, type 2: palette indices, the palette stored in the pulled strip's
//     palette on every pull;
//   - 8 bits otherwise, and 4 bits: gray (4 bits: two pixels a byte, high first);
//   - 1 bit: 1 white, 0 black, most significant bit first; cut at mid-gray for line
//     art (class 3101 regions, or scans that are black and white already),
//     error diffusion for everything else;
// each line zero-padded to the strip's GetBytesPerLine().
//
// Lifecycle (the engine's store protocol): Setup() opens the decoder and
// (re)starts at the top line; Pull(strip) fills the strip's line memory and
// answers KEL_MORE while lines remain and KEL_DONE with the last; Done() closes
// the decoder; Cancel() closes it and makes every later Pull answer
// KEL_CANCELLED until the next Setup(). Failures are written to the engine's log
// (source "lucentra", shown to the user) and answered with a result code; the
// text of the last one stays available through error().
//
// Ownership: the store shares the ImageFile; whoever connects the store to a
// destination keeps it alive until the destination is done with the page.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "decode/image.h"
#include "kel/holders.h"
#include "store/line_packer.h"
#include "store/palette_map.h"
#include "store/polygon_mask.h"
#include "store/resampler.h"

namespace lucentra {

struct StoreSource {
    std::shared_ptr<const ImageFile> image;
    int page = 0;
    SourceWindow window;     // the region's rectangle in the page's pixels
    bool line_art = false;   // 1-bit output by threshold instead of error diffusion
    // When given and set (the user asked to stop the job), every Pull answers
    // KEL_CANCELLED. Owned by the caller; must outlive the store.
    const std::atomic<bool>* stop = nullptr;
    // When given, pixels outside this polygon (scan pixels) are produced white:
    // a layout's region is printed masked to its outline.
    std::shared_ptr<const PolygonMask> mask;
};

// The form a store produces: what GetWidth, GetHeight, GetBitsPerPixel and
// GetBitMapType of the output holder said.
struct StoreForm {
    int width = 0;
    int height = 0;
    int bits = 0;
    int type = 0;

    static StoreForm of(const EBITMAP& bitmap);
};

class ImageStore : public ESTORE {
public:
    ImageStore(StoreSource source, const StoreForm& form);
    ~ImageStore() override;

    const char* Name() override { return "ImageStore"; }
    int Setup() override;
    int Pull(EHOLDER* holder) override;
    int Done() override;
    int Cancel() override;

    const std::string& error() const { return error_; }
    int lines_pulled() const { return resampler_ ? resampler_->rows_done() : lines_at_close_; }
    const StoreForm& form() const { return form_; }

private:
    int fail(int code, const std::string& message);
    LineForm line_form() const;
    std::unique_ptr<Resampler> open_pass() const;
    int fill_line(EBITMAP* bitmap, unsigned char* line);

    StoreSource source_;
    StoreForm form_;
    std::unique_ptr<Resampler> resampler_;
    std::unique_ptr<LinePacker> packer_;
    PaletteMap palette_;
    std::vector<uint8_t> row_;
    bool cancelled_ = false;
    int lines_at_close_ = 0;
    std::string error_;
};

}  // namespace lucentra

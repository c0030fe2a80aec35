// The engine's transform for an outline region (class 3108): an ESTORE whose
// Pull fills an EBEZIERS holder's drawing (its CLART) in one go.
//
// The drawing comes either from figures given in the scan's pixels (SVG path
// data read by the layout), or from tracing the scan's black pixels inside the
// region (threshold at mid-gray, only pixels whose centre lies in the region's
// polygon count).
//
// Coordinates: figures are given in scan pixels, y growing downwards; the
// drawing is handed out in drawing units with y growing upwards (x the same,
// y negated), and its bounds are set to the region's rectangle, so that
// CLART::plot_to_dc maps the region's rectangle onto the block's box and every
// figure lands where it lies in the region.
//
// Results of Pull: KEL_OK; KEL_WARN_LOST_OUTLINE when part of the drawing could
// not be represented (the rest is in the holder); KEL_CANCELLED when the job is
// being stopped or after Cancel; KEL_ERR_UNSUPPORTED for a holder that is not
// an EBEZIERS; KEL_ERR_BAD_STATE before Setup; KEL_ERR_IO / KEL_ERR_NO_MEMORY when
// the scan cannot be read for tracing. Failures are logged (source "lucentra").
//
// Ownership: the store shares the ImageFile; its owner keeps it alive until the
// destination is done with the page.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "decode/image.h"
#include "kel/xform.h"

namespace lucentra {

struct OutlineSource {
    // Drawn figures, in scan pixels (used when `trace` is false).
    std::vector<CLART_FIGURE> figures;
    int lost_figures = 0;  // figures of the drawing that could not be represented
    // Tracing: the page of `image`, inside `polygon` (scan pixels).
    bool trace = false;
    std::shared_ptr<const ImageFile> image;
    int page = 0;
    std::vector<EPOINT> polygon;
    // The region's rectangle in scan pixels: left, top, right, bottom.
    float left = 0, top = 0, right = 0, bottom = 0;
    uint32_t colour = 0;  // 0x00BBGGRR
    const std::atomic<bool>* stop = nullptr;  // owned by the caller
};

class OutlineStore : public ESTORE {
public:
    explicit OutlineStore(OutlineSource source);

    const char* Name() override { return "OutlineStore"; }
    int Setup() override;
    int Pull(EHOLDER* holder) override;
    int Done() override;
    int Cancel() override;

    const std::string& error() const { return error_; }

private:
    int fail(int code, const std::string& message);
    // The figures of the traced region, in scan pixels.
    std::vector<CLART_FIGURE> trace() const;

    OutlineSource source_;
    bool set_up_ = false;
    bool cancelled_ = false;
    std::string error_;
};

}  // namespace lucentra

// Page output: Sink prints the blocks gathered since the last page.
#include <chrono>

#include "diagnostics.h"
#include "edstprnt.h"

namespace {

// The cancel path shared by every place that stops a page: cancel the document
// and the stores, and log what happened.
int cancel_page(EDESTIN_PRINTER* self, const char* what, ERR_LABEL label, const char* message) {
    int c = self->internal_cancel(nullptr);
    if (c != 0)
        return err.log(c, "edstprnt", __LINE__, 9, 1, 2, 2, "Called '%s', expected 0x%x, got 0x%x", what, 0u,
                       (unsigned)c);
    return err.log(KEL_CANCELLED, "edstprnt", __LINE__, label, 1, 2, 2, "%s", message);
}

bool is_outline_block(RTFBLK* block) {
    return block->get_region() != nullptr && block->get_region()->ClassID() == CID_OUTLINES;
}

}  // namespace

int EDESTIN_PRINTER::Sink(PROGRESSINFO* progress) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    // Without an open document, or before the page scale was fixed by a request
    // for data, there is nothing the page could be mapped onto: print nothing.
    if (!printer_dc || !printer_dc->m_hDC) {
        blocks.clear();
        return PW_LOG("edstprnt", KEL_ERR_BAD_STATE, 9, 2, 1, "Sink called without an open document.");
    }
    if (page_scale == 0) {
        blocks.clear();
        return PW_LOG("edstprnt", KEL_ERR_BAD_STATE, 9, 2, 1, "Sink called before the page was laid out.");
    }
    if (StartPage(printer_dc->m_hDC) < 0) {
        AbortDoc(printer_dc->m_hDC);
        document_aborted_ = true;
        return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "StartPage returned an error.");
    }
    sinking_ = true;
    cancel_pending_ = false;
    int r = real_Sink(progress);
    sinking_ = false;
    cancel_pending_ = false;
    blocks.clear();
    if (printer_dc) end_page_result = EndPage(printer_dc->m_hDC);
    return r;
}

int EDESTIN_PRINTER::real_Sink(PROGRESSINFO* progress) {
    blocks.sort(compare_blocks);
    RTFBLK::improve_ordering(&blocks, 0);

    int page_result = 0;
    if (progress) {
        progress->Start(1);
        if (progress->Update(0.0f, this, 0) == KEL_CANCELLED)
            return cancel_page(this, "internal_cancel(NULL)", 6, "Cancelled by progress monitor at start");
    }

    int32_t n = blocks.length();

    // Map page units (1/300 inch from the canvas corner) onto printer pixels,
    // keeping every extent within 16 bits and the divisor k within 16 bits unsigned.
    const BOX& canvas = RTFBLK::canvas;
    int16_t W = 0, H = 0;
    if (!canvas.null_box()) {
        W = (int16_t)(canvas.upper().x() - canvas.lower().x());
        H = (int16_t)(canvas.upper().y() - canvas.lower().y());
    }
    uint32_t s = 32768;
    int32_t wx = (int32_t)W * 32768;
    int32_t wy = (int32_t)H * 32768;
    while (!(wx <= 32767 && wy <= 32767 && (double)s * 300 / page_scale <= 65535)) {
        wx /= 2;
        wy /= 2;
        s /= 2;
    }
    uint32_t k = (uint16_t)(uint32_t)((double)s * 300 / page_scale);
    double r = printer_settings.resolution;
    printer_dc->SetMapMode(MM_ISOTROPIC);
    printer_dc->SetWindowOrg(0, 0);
    printer_dc->SetWindowExt(wx, wy);
    printer_dc->SetViewportOrg(0, 0);
    printer_dc->SetViewportExt((int)(wx * r / k), (int)(wy * r / k));

    int32_t done = 0;
    auto t0 = std::chrono::steady_clock::now();
    RTFBLK_IT it(&blocks);
    if (!it.empty()) it.mark_cycle_pt();
    for (; !it.empty() && !it.cycled_list(); it.forward()) {
        RTFBLK* block = it.data();
        ESTORE* seq = block->get_seq();
        if (!seq) continue;
        // A block whose data was never asked for (or whose holder could not be
        // made) has nothing to pull into: it is left out.
        if (!block->get_holder()) continue;

        bool outline = is_outline_block(block);
        if (outline) {
            int rc = seq->Setup();
            if (rc != 0)
                return PW_LOG("edstprnt", rc, 9, 1, 2, "Called '%s', expected 0x%x, got 0x%x", "xform->Setup()", 0u,
                              (unsigned)rc);
            rc = seq->Pull(block->get_holder());
            if (rc == KEL_WARN_LOST_OUTLINE) {
                page_result = rc;
                PW_LOG("edstprnt", rc, 9, 1, 3, "Detected lost outline in drawing");
            } else if (rc == KEL_CANCELLED) {
                PW_LOG("edstprnt", KEL_CANCELLED, 9, 1, 2, "Cancelled by return from pull");
                int c = internal_cancel(seq);
                if (c != 0)
                    return PW_LOG("edstprnt", c, 9, 1, 2, "Called '%s', expected 0x%x, got 0x%x",
                                  "internal_cancel(xform)", 0u, (unsigned)c);
                return KEL_CANCELLED;
            } else if (rc != 0 && rc != KEL_DONE) {
                return PW_LOG("edstprnt", rc, 9, 1, 2, "Bad return from pull");
            }
            rc = seq->Done();
            if (rc == KEL_WARN_LOST_OUTLINE) {
                page_result = rc;
                PW_LOG("edstprnt", rc, 9, 1, 3, "Detected lost outline in drawing");
            } else if (rc != 0) {
                return PW_LOG("edstprnt", rc, 9, 1, 2, "Bad return from Done");
            }
        }
        ++done;

        HDC hdc = printer_dc ? printer_dc->m_hDC : nullptr;
        const BOX& box = block->get_box();
        int x0 = (int)s * box.lower().x(), y0 = (int)s * box.lower().y();
        int x1 = (int)s * box.upper().x(), y1 = (int)s * box.upper().y();
        int rc;
        if (outline)
            rc = block->get_beziers()->GetArt()->plot_to_dc(hdc, x0, y1, x1, y0);
        else
            rc = block->pull_to_dc(hdc, x0, y0, x1, y1, 1, &copy_info);

        if (rc == KEL_WARN_LOST_OUTLINE) {
            page_result = rc;
        } else if (rc == KEL_CANCELLED) {
            int c = internal_cancel(nullptr);
            if (c != 0)
                return PW_LOG("edstprnt", c, 9, 1, 2, "Called '%s', expected 0x%x, got 0x%x", "internal_cancel(NULL)",
                              0u, (unsigned)c);
            return PW_LOG("edstprnt", KEL_CANCELLED, 9, 1, 2, "Failed to make metafile");
        } else if (rc != 0) {
            return PW_LOG("edstprnt", rc, 9, 1, 2, "Failed to make metafile");
        }

        if (cancel_pending_)
            return cancel_page(this, "internal_cancel(NULL)", 6, "Cancelled while printing the page");
        if (progress) {
            float percent = (float)((double)done * 100 / n);
            if (progress->Update(percent, this, 0) == KEL_CANCELLED)
                return cancel_page(this, "internal_cancel(NULL)", 6, "Cancelled by progress monitor");
        }
    }

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    PW_LOG("edstprnt", 0, 6, 2, 3, "PRint completed in %g sec, exitcode 0", seconds);
    return page_result;
}

// Region intake: the page's printable regions become blocks, and each block is
// told in which form its data is wanted.
#include "diagnostics.h"
#include "edstprnt.h"

int EDESTIN_PRINTER::PassRegion(EMATERIAL* material) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!material) return 0;
    if (material->IsA(CID_REFUSED_3010)) return 0;
    if (material->IsA(CID_REFUSED_3111)) return 0;
    if (material->IsA(CID_LINE_ART) || material->IsA(CID_COLOUR_3102) || material->IsA(CID_COLOUR_3103) ||
        material->IsA(CID_PAGE_REGION)) {
        RTFBLK* block = new (std::nothrow) RTFBLK(static_cast<ETYPEDREGION*>(material));
        if (!block) return PW_LOG("edstprnt", KEL_ERR_NO_MEMORY, 9, 1, 2, "No memory to add region to list");
        RTFBLK_IT it(&blocks);
        it.add_to_end(block);
        return 0;
    }
    return 0;
}

RTFBLK* EDESTIN_PRINTER::blk_from_id(int region_id) {
    RTFBLK_IT it(&blocks);
    if (it.empty()) return nullptr;
    it.mark_cycle_pt();
    for (; !it.cycled_list(); it.forward()) {
        RTFBLK* block = it.data();
        if (block->get_region() && block->get_region()->object_id == region_id) return block;
    }
    return nullptr;
}

int EDESTIN_PRINTER::ConnectRegion(int region_id, ESTORE* store) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    RTFBLK* block = blk_from_id(region_id);
    if (!block) return PW_LOG("edstprnt", KEL_ERR_NOT_FOUND, 9, 1, 2, "Never heard of the region");
    block->set_seq(store);
    return 0;
}

namespace {

struct BitmapForm {
    float resolution;
    int bits;
    int type;  // -1: leave the type as initialize_ebitmap made it
};

// Depth for a photograph on this printer.
int photo_bits(bool one_bit_photos, bool deep_bitmaps) {
    return one_bit_photos ? 1 : deep_bitmaps ? 8 : 4;
}

}  // namespace

int EDESTIN_PRINTER::WantsData(int region_id, EHOLDER** holder) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    RTFBLK* block = blk_from_id(region_id);
    if (!block) return KEL_NO_DATA;

    if (page_scale == 0) {
        if (blocks.length() == 1 && block->get_type() == CID_PAGE_REGION) RTFBLK::canvas = RTFBLK::page;
        compute_page_scaling();
    }

    float base = use_default_res ? default_res : bitmap_res;
    float photo = base * page_scale;
    float fine = (base > 150 ? base : 2 * base) * page_scale;
    float line = 300 * page_scale;
    err.log(KEL_ERR_NO_MEMORY, "edstprnt", __LINE__, 9, 1, 2, 3, "Photo resolution is:%g", (double)photo);

    block->shift_region();

    ETYPEDREGION* region = block->get_region();
    CLASS_ID cls = region->ClassID();
    if (cls == CID_OUTLINES) {
        EBEZIERS* kept = new (std::nothrow) EBEZIERS;
        if (!kept) return PW_LOG("edstprnt", KEL_ERR_NO_MEMORY, 9, 1, 2, "No memory for output holder");
        // A repeated request replaces the holder; the one it replaces is released.
        block->drop_holder();
        block->set_beziers(kept);
        EBEZIERS* out = new (std::nothrow) EBEZIERS;
        if (!out) return PW_LOG("edstprnt", KEL_ERR_NO_MEMORY, 9, 1, 2, "No memory for output holder");
        *holder = out;
        return KEL_WANT_DATA;
    }
    if (cls == CID_PAGE_REGION && blocks.length() > 1) return KEL_NO_DATA;

    bool colour_printer = printer_settings.is_colour == 1;
    BitmapForm form;
    if (cls == CID_LINE_ART) {
        form = {line, 1, -1};
    } else if (cls == CID_GRAY_PHOTO || (cls == CID_PAGE_REGION && (!region->HasColor() || !colour_printer))) {
        form = {photo, photo_bits(one_bit_photos, deep_bitmaps), -1};
    } else if (cls == CID_PALETTE_IMAGE) {
        form = {fine, 8, BMT_PALETTE};
    } else if (colour_printer) {
        form = {photo, deep_bitmaps ? 24 : 8, -1};
    } else {
        form = {photo, photo_bits(one_bit_photos, deep_bitmaps), BMT_GRAY};
    }

    EBITMAP* kept = new (std::nothrow) EBITMAP;
    if (!kept) return PW_LOG("edstprnt", KEL_ERR_NO_MEMORY, 9, 1, 2, "No memory for output holder");
    int width = 0, height = 0;
    region_extent(region, form.resolution, &width, &height);
    initialize_ebitmap(width, height, (char)form.bits, form.resolution, kept);
    if (form.type >= 0) kept->SetBitMapType(form.type);
    kept->SetPadLine(2);
    kept->SetClipValue(255);
    block->drop_holder();
    block->set_bitmap(kept);

    EBITMAP* out = new (std::nothrow) EBITMAP(kept);
    if (!out) return PW_LOG("edstprnt", KEL_ERR_NO_MEMORY, 9, 1, 2, "No memory for output holder");
    *holder = out;
    return KEL_WANT_DATA;
}

void EDESTIN_PRINTER::compute_page_scaling() {
    const BOX& canvas = RTFBLK::canvas;
    int16_t width = 0, height = 0;
    if (!canvas.null_box()) {
        width = (int16_t)(canvas.upper().x() - canvas.lower().x());
        height = (int16_t)(canvas.upper().y() - canvas.lower().y());
    }
    float scale;
    if (scaling_mode == 2) {
        float printable_w = (float)(printer_settings.printable_rect.right - printer_settings.printable_rect.left);
        float printable_h = (float)(printer_settings.printable_rect.bottom - printer_settings.printable_rect.top);
        // A zero extent makes its ratio unbounded, so the other one decides.
        float fx = printable_w / (float)width;
        float fy = printable_h / (float)height;
        float ratio = fx < fy ? fx : fy;
        scale = ratio * 300.0f / (float)printer_settings.resolution;
    } else if (scaling_mode == 1) {
        scale = 1.0f;
    } else {
        scale = scaling_percent * 0.01f;
    }
    if (!(scale >= 0.12f))
        scale = 0.12f;
    else if (scale > 12.0f)
        scale = 12.0f;
    page_scale = scale;
}

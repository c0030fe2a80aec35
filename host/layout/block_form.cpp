#include "layout/block_form.h"

namespace lucentra {

BitmapForm block_bitmap_form(ETYPEDREGION& region, float base_resolution, bool deep) {
    BitmapForm form;
    const CLASS_ID cls = region.ClassID();
    const int gray_bits = deep ? 8 : 4;
    if (cls == CID_LINE_ART) {
        form.bits = 1, form.resolution = 300;
    } else if (cls == CID_GRAY_PHOTO || (cls == CID_PAGE_REGION && !region.HasColor())) {
        form.bits = gray_bits, form.resolution = base_resolution;
    } else if (cls == CID_PALETTE_IMAGE) {
        form.bits = 8, form.type = BMT_PALETTE;
        form.resolution = base_resolution > 150 ? base_resolution : 2 * base_resolution;
    } else {
        form.bits = deep ? 24 : 8, form.resolution = base_resolution;
    }
    // The rectangle re-expressed at the resolution, from the same origin.
    ERECTANGLE rect = *region.GetRectangle();
    ERESOLUTION native;
    EPOINT origin;
    rect.GetCoordXlator().GetCoordinateSpace(&native, &origin);
    rect.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(form.resolution), origin);
    form.width = rect.IntWidth();
    form.height = rect.IntHeight();
    return form;
}

std::unique_ptr<EBITMAP> make_block_bitmap(const BitmapForm& form) {
    auto bitmap = std::make_unique<EBITMAP>();
    initialize_ebitmap(form.width, form.height, (char)form.bits, form.resolution, bitmap.get());
    if (form.type >= 0) bitmap->SetBitMapType(form.type);
    bitmap->SetPadLine(PAD_DWORD);
    bitmap->SetClipValue(255);
    return bitmap;
}

}  // namespace lucentra

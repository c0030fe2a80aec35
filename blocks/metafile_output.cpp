// Drawing a bitmap block into a new memory metafile, one logical unit per
// bitmap pixel, for callers that embed the block as a picture.
#include "rtfblk.h"
#include "rtfblk_log.h"
#include "pw/gdi.h"
#include "pw/kernel.h"
#include "pw/user.h"

int RTFBLK::pull_to_metafile(HMETAFILE* metafile, short* width, short* height,
                             unsigned short* resolution) {
    if (!metafile || !width || !height || !resolution)
        return RTFBLK_LOG(KEL_ERR_BAD_ARGUMENT, "Called '%s' without places for its results",
                          "pull_to_metafile");
    if (!holder || !holder->IsA(CID_BITMAP))
        return RTFBLK_LOG(KEL_ERR_BAD_STATE, "Block has no bitmap to draw");
    EBITMAP* bm = get_bitmap();
    *width = (short)bm->GetWidth();
    *height = (short)bm->GetHeight();
    const float xres = bm->GetXRes();
    // Truncated toward zero (299.9 dpi is 299); a resolution that is not a
    // usable number reports 0 rather than an undefined conversion.
    *resolution = (xres >= 0.0f && xres < 65536.0f) ? (unsigned short)xres : 0;

    HDC mdc = CreateMetaFileA(nullptr);
    if (!mdc) return RTFBLK_LOG(KEL_ERR_NO_MEMORY, "No memory to make metafile dc");
    // The player chooses the viewport; the window is the bitmap in pixels.
    SetMapMode(mdc, MM_ANISOTROPIC);
    SetWindowOrgEx(mdc, 0, 0, nullptr);
    SetWindowExtEx(mdc, *width, *height, nullptr);

    const int result = pull_to_dc(mdc, 0, 0, *width, *height, 0, nullptr);
    if (result != KEL_OK) {
        if (HMETAFILE unfinished = CloseMetaFile(mdc)) DeleteMetaFile(unfinished);
        return RTFBLK_LOG(result, "No memory to copy bitmap into metafile dc");
    }
    HMETAFILE made = CloseMetaFile(mdc);
    if (!made) return RTFBLK_LOG(KEL_ERR_NO_MEMORY, "No memory to close metafile dc");
    *metafile = made;
    return KEL_OK;
}

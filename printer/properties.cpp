// The destination's numbered properties. Both operations work at any time, also
// during a page; values are never refused (flags keep their low byte, the tone
// settings their low 16 bits, the bitmap resolution is limited to 12..9600).
#include <cmath>

#include "edstprnt.h"
#include "kel/properties.h"


int EDESTIN_PRINTER::Get(int id, EVALUE* value) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    switch (id) {
    case PROP_DEFAULT_RES:
        *value = EVALUE((unsigned char)default_res_requested);
        return 0;
    case PROP_LARGE_ICON:
        *value = EVALUE((void*)large_icon);
        return 0;
    case PROP_SMALL_ICON:
        *value = EVALUE((void*)small_icon);
        return 0;
    case PROP_KIND:
        *value = EVALUE((int)7);
        return 0;
    case PROP_FLAG_3010:
        *value = EVALUE((unsigned char)flag_3010);
        return 0;
    case PROP_BITMAP_RES:
    case PROP_BITMAP_RES_2: {
        double third = fax_class_resolution(printer_settings.resolution) ? 0 : 1;
        *value = EVALUE((double)bitmap_res, EValue_Bounds(12, 9600, third, (double)printer_default_res));
        return 0;
    }
    case PROP_SCALING:
    case PROP_SCALING_2:
        *value = EVALUE((double)page_scale * 100,
                        EValue_Bounds(12, 1200, 1, (double)printer_default_scaling * 100));
        return 0;
    case PROP_DEEP_BITMAPS:
        *value = EVALUE((unsigned char)deep_bitmaps);
        return 0;
    default:
        return KEL_ERR_UNSUPPORTED;
    }
}

int EDESTIN_PRINTER::Set(int id, const EVALUE& value) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    switch (id) {
    case PROP_DEFAULT_RES:
        default_res_requested = (unsigned char)(int)value;
        use_default_res = default_res_requested;
        return 0;
    case PROP_BRIGHTNESS:
        copy_info.brightness = (int16_t)(int)value;
        return 0;
    case PROP_CONTRAST:
        copy_info.contrast = (int16_t)(int)value;
        return 0;
    case PROP_CLIP_EXTREMES:
        copy_info.clip_extremes = (int16_t)(int)value;
        return 0;
    case PROP_COPY_RESERVED:
        copy_info.reserved = (int16_t)(int)value;
        return 0;
    case PROP_FLAG_3010:
        flag_3010 = (unsigned char)(int)value;
        return 0;
    case PROP_BITMAP_RES:
    case PROP_BITMAP_RES_2: {
        double res = (double)value;
        // Below 12 and not-a-number both become 12.
        if (!(res >= 12))
            res = 12;
        else if (res > 9600)
            res = 9600;
        bitmap_res = (float)res;
        return 0;
    }
    case PROP_SCALING:
    case PROP_SCALING_2: {
        auto record = static_cast<const PAGE_SCALING_RECORD*>((void*)value);
        // The record is required; without one nothing changes.
        if (!record) return KEL_ERR_BAD_ARGUMENT;
        scaling_mode = record->mode;
        scaling_percent = record->percent;
        return 0;
    }
    case PROP_DEEP_BITMAPS:
        deep_bitmaps = (unsigned char)(int)value;
        return 0;
    case PROP_PRINT_SETUP:
        printer_settings.choose_printer(0);
        return 0;
    case PROP_PRINTER_NAME: {
        const char* name = (char*)value;
        printer_name = name ? name : "";
        printer_named = 1;
        printer_settings.read_capabilities(printer_name);
        bitmap_res = (float)printer_settings.resolution;
        return 0;
    }
    default:
        return KEL_ERR_UNSUPPORTED;
    }
}

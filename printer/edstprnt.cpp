// The printer destination object: construction, copies, destruction, identity.
#include "edstprnt.h"

#include "diagnostics.h"

double_VARIABLE printer_default_res(150, "printer_default_res", "Default bitmap resolution");
double_VARIABLE printer_default_scaling(1, "printer_default_scaling", "Default page scaling");
INT_VARIABLE use_1bit_photo(0, "use_1bit_photo", "1bit for photos");

namespace {
const int kIconGroup = 129;
const UINT kDescriptionString = 1;
}  // namespace

EDESTIN_PRINTER::EDESTIN_PRINTER() : CMatDestination() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    RegisterObject(this);
    printer_dc = nullptr;
    end_page_result = 0;
    description.LoadString(kDescriptionString);
    printer_name.Empty();
    printer_named = 0;
    one_bit_photos = 0;
    HINSTANCE self = AfxGetInstanceHandle();
    large_icon = static_cast<HICON>(
        LoadImageA(self, MAKEINTRESOURCEA(kIconGroup), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    small_icon = static_cast<HICON>(
        LoadImageA(self, MAKEINTRESOURCEA(kIconGroup), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    deep_bitmaps = 0;
    default_res_requested = 0;
    use_default_res = 1;
    // Nothing but property 3010 reads this flag; start it cleared like the others.
    flag_3010 = 0;
    default_res = (float)(double)printer_default_res;
    bitmap_res = default_res;
    page_scale = 0;
    scaling_percent = (float)((double)printer_default_scaling * 100);
    scaling_mode = scaling_percent == 100 ? 1 : 3;
    copy_info.brightness = 0;
    copy_info.contrast = 0;
    copy_info.clip_extremes = 0;
    copy_info.reserved = 0;
}

// Every member by value except the block list, which cannot be copied. The copy
// owns none of the device context and icons it shares with the original.
EDESTIN_PRINTER::EDESTIN_PRINTER(const EDESTIN_PRINTER& other)
    : CMatDestination(other),
      printer_dc(other.printer_dc),
      printer_settings(other.printer_settings),
      description(other.description),
      printer_name(other.printer_name),
      large_icon(other.large_icon),
      small_icon(other.small_icon),
      printer_named(other.printer_named),
      flag_3010(other.flag_3010),
      deep_bitmaps(other.deep_bitmaps),
      default_res_requested(other.default_res_requested),
      one_bit_photos(other.one_bit_photos),
      blocks(other.blocks),
      use_default_res(other.use_default_res),
      default_res(other.default_res),
      bitmap_res(other.bitmap_res),
      page_scale(other.page_scale),
      scaling_mode(other.scaling_mode),
      scaling_percent(other.scaling_percent),
      copy_info(other.copy_info),
      end_page_result(other.end_page_result),
      owns_dc_(false),
      owns_icons_(false) {}

EDESTIN_PRINTER& EDESTIN_PRINTER::operator=(const EDESTIN_PRINTER& other) {
    if (this == &other) return *this;
    CMatDestination::operator=(other);
    // What this object owned is released before it takes the other's handles.
    if (owns_dc_) delete printer_dc;
    if (owns_icons_) {
        if (large_icon) DestroyIcon(large_icon);
        if (small_icon) DestroyIcon(small_icon);
    }
    printer_dc = other.printer_dc;
    printer_settings = other.printer_settings;
    description = other.description;
    printer_name = other.printer_name;
    large_icon = other.large_icon;
    small_icon = other.small_icon;
    printer_named = other.printer_named;
    flag_3010 = other.flag_3010;
    deep_bitmaps = other.deep_bitmaps;
    default_res_requested = other.default_res_requested;
    one_bit_photos = other.one_bit_photos;
    blocks = other.blocks;  // refused by the list; our blocks stay
    use_default_res = other.use_default_res;
    default_res = other.default_res;
    bitmap_res = other.bitmap_res;
    page_scale = other.page_scale;
    scaling_mode = other.scaling_mode;
    scaling_percent = other.scaling_percent;
    copy_info = other.copy_info;
    end_page_result = other.end_page_result;
    owns_dc_ = false;
    owns_icons_ = false;
    return *this;
}

EDESTIN_PRINTER::~EDESTIN_PRINTER() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (owns_dc_) delete printer_dc;
    printer_dc = nullptr;
    if (owns_icons_) {
        if (large_icon) DestroyIcon(large_icon);
        if (small_icon) DestroyIcon(small_icon);
    }
    blocks.clear();
}

EBOOL8 EDESTIN_PRINTER::IsA(CLASS_ID id) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (id == CID_DESTIN_PRINTER) return 1;
    return CMatDestination::IsA(id);
}

CLASS_ID EDESTIN_PRINTER::ClassID() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return CID_DESTIN_PRINTER;
}

const char* EDESTIN_PRINTER::Name() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return "EDESTIN_PRINTER";
}

EBOOL8 EDESTIN_PRINTER::ISAFile() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return 0;
}

EBOOL8 EDESTIN_PRINTER::ISActive() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return 1;
}

int EDESTIN_PRINTER::Capabilities() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return KEL_ERR_UNSUPPORTED;
}

int EDESTIN_PRINTER::Setup() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return 0;
}

int EDESTIN_PRINTER::Description(const char** text) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!description.IsEmpty()) {
        *text = description;
        return 0;
    }
    return PW_LOG("edstprnt", KEL_ERR_NOT_FOUND, 9, 2, 1, "Description has not been set.");
}

// The one device interface behind every device context.
//
// A device context (HDC) keeps the GDI state (mapping mode, window and viewport,
// stretch mode, poly-fill mode, selected brush and palette, the path being
// built) and hands its device device-space work: the destination of a
// StretchDIBits already mapped to device pixels, a path already transformed to
// device coordinates. Devices that need the logical calls (the metafile and
// journal devices) also get the caller's arguments and every state change.
//
// Shape: public non-virtual calls, made by the DC, forward to protected virtual
// hooks that a device overrides. A drawing hook may answer
// DrawStatus::unsupported ("this device cannot do that"): the DC then falls
// back, rasterising the operation into a small raster tile that it hands to
// the device again as a plain SRCCOPY image (see the fallback notes at
// stretch_dib and fill_path).
//
// Ownership and lifecycle: a DC owns its device (pw_create_dc takes it) and
// destroys it in DeleteDC. Devices are used from one thread at a time, like
// the DC over them.
#pragma once

#include "pw/gdi.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pw {

enum class DrawStatus {
    done,        // drawn (or nothing to draw after clipping)
    unsupported, // this device cannot express it; the caller falls back
    failed,      // a real failure (out of memory, I/O error); the call fails
};

// The values GetDeviceCaps reports. Sizes are device pixels at the device's
// resolution; the printable area (HORZRES x VERTRES) starts at the physical
// offset on the paper. Device pixel (0, 0) is the top-left printable pixel.
struct DeviceCaps {
    int technology = DT_RASPRINTER;
    int horz_res = 0;  // printable width, pixels
    int vert_res = 0;  // printable height, pixels
    int log_pixels_x = 0; // dots per inch
    int log_pixels_y = 0;
    int bits_pixel = 24;
    int planes = 1;
    int physical_width = 0;  // whole paper, pixels; 0 means "same as horz_res"
    int physical_height = 0; // 0 means "same as vert_res"
    int physical_offset_x = 0;
    int physical_offset_y = 0;
    int num_colors = -1; // -1 for more than 8 bits a pixel, as on the original platform
    int size_palette = 0;
    int raster_caps = RC_BITBLT | RC_STRETCHDIB | RC_STRETCHBLT | RC_DI_BITMAP | RC_DIBTODEV |
                      RC_BITMAP64 | RC_GDI20_OUTPUT;
};

// The GetDeviceCaps answer for `index` from `caps` (0 for unknown indices).
int device_caps_value(const DeviceCaps& caps, int index);

// A validated, read-only view of a caller's DIB. Does not own anything: the
// pointers are the caller's and live for the duration of one call.
struct DibView {
    const BITMAPINFOHEADER* header = nullptr; // as given, for devices that record it
    size_t info_size = 0;     // bytes of header plus colour table
    const RGBQUAD* colors = nullptr; // colour table (null for 24 and 32 bits)
    int num_colors = 0;
    const uint8_t* bits = nullptr; // first stored row
    size_t bits_size = 0;          // bytes of pixel memory the rows occupy
    int width = 0;                 // pixels, > 0
    int height = 0;                // pixels, > 0 (the sign of biHeight is in top_down)
    int bit_count = 0;             // 1, 4, 8, 24 or 32
    bool top_down = false;         // biHeight < 0
    size_t stride = 0;             // bytes per stored row (multiple of 4)

    // Row y of the picture counted from its top (0 = the top visual row).
    const uint8_t* row(int y) const {
        return bits + stride * static_cast<size_t>(top_down ? y : height - 1 - y);
    }
};

// Checks a DIB against the memory it claims: header size, planes, depth,
// compression (BI_RGB only), colour count, width and height, and, when the
// sizes are known (non-zero), that header, colour table and rows fit them.
// On failure returns false and says why in `why` (if given).
bool make_dib_view(const BITMAPINFO* info, size_t info_size, const void* bits, size_t bits_size,
                   UINT usage, DibView* out, std::string* why = nullptr);

// A device-space rectangle, right and bottom exclusive.
struct DeviceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

// One StretchDIBits call, in both forms.
struct StretchDibCall {
    // As the caller passed them: logical units, source y as on the original
    // platform (counted from the bottom row for bottom-up DIBs).
    int x_dst = 0, y_dst = 0, w_dst = 0, h_dst = 0;
    int x_src = 0, y_src = 0, w_src = 0, h_src = 0;
    UINT usage = DIB_RGB_COLORS;
    DWORD rop = SRCCOPY;
    int stretch_mode = BLACKONWHITE;
    DibView dib;

    // Device form. `src` is the source rectangle in picture pixels with y
    // counted from the top row, clipped to the picture; `dst` the matching
    // destination in device pixels (normalised, not yet clipped to the page:
    // devices clip). flip_x / flip_y: the picture is mirrored across `dst`
    // (negative extents on either side, or a mapping that flips an axis).
    DeviceRect src;
    DeviceRect dst;
    bool flip_x = false;
    bool flip_y = false;

    // The selected brush's colour, for raster operations that use the pattern.
    COLORREF brush = RGB(255, 255, 255);
};

// A path in device coordinates with its curves kept, so that devices that
// can draw curves (PDF) keep them and others flatten them (flatten_path).
enum class PathVerb : uint8_t {
    move,  // 1 point
    line,  // 1 point
    cubic, // 3 points: two control points and the end point
    close, // 0 points: closes the current figure
};
struct PathPoint {
    double x;
    double y;
};
struct Path {
    std::vector<PathVerb> verbs;
    std::vector<PathPoint> points;
    bool empty() const { return verbs.empty(); }
};

// Flattens every cubic of `path` into line segments no further than
// `tolerance` device pixels from the curve.
Path flatten_path(const Path& path, double tolerance = 0.25);

struct FillPathCall {
    Path device_path;           // device pixels
    std::vector<POINT> logical; // the same outline in logical units (curves flattened)
    std::vector<int> logical_counts; // points per figure of `logical`
    COLORREF color = 0;         // the selected brush's colour
    int fill_mode = ALTERNATE;  // ALTERNATE (even-odd) or WINDING (non-zero)
};

struct PatBltCall {
    int x = 0, y = 0, w = 0, h = 0; // logical, as passed
    DeviceRect dst;                 // device pixels, normalised
    COLORREF color = 0;             // the selected brush's colour
    DWORD rop = PATCOPY;
};

// A palette as selected into a DC.
struct PaletteData {
    std::vector<PALETTEENTRY> entries;
};

// A change of DC state, told to the device after the DC applied it.
struct StateChange {
    enum Kind {
        map_mode,      // a = mode
        window_org,    // a, b = x, y
        window_ext,    // a, b = x, y (as passed; the DC's effective extents may differ under MM_ISOTROPIC)
        viewport_org,  // a, b
        viewport_ext,  // a, b (as passed)
        stretch_mode,  // a = mode
        poly_fill_mode // a = mode
    };
    Kind kind;
    int a = 0;
    int b = 0;
};

// What StartDoc hands the device.
struct DocStart {
    std::string name;   // document name ("VL Lucentra LT")
    std::string output; // output file, empty when the device chooses
};

class Device {
public:
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const DeviceCaps& caps() const { return caps_; }
    // A short name for journals and messages ("raster", "metafile", "pdf", ...).
    virtual const char* kind() const = 0;

    // Drawing, called by the DC. stretch_dib answers the number of scan lines
    // copied through `lines` when it is done.
    DrawStatus stretch_dib(const StretchDibCall& call, int* lines) { return on_stretch_dib(call, lines); }
    DrawStatus fill_path(const FillPathCall& call) { return on_fill_path(call); }
    DrawStatus pat_blt(const PatBltCall& call) { return on_pat_blt(call); }

    // State and palettes, called by the DC after it applied the change.
    void state_changed(const StateChange& change) { on_state(change); }
    // `palette` null: the default palette was selected.
    void palette_selected(const PaletteData* palette) { on_select_palette(palette); }
    // Returns the number of entries mapped into the device's palette.
    UINT palette_realized(const PaletteData* palette) { return on_realize_palette(palette); }

    // Spooler, called by StartDoc / StartPage / EndPage / EndDoc / AbortDoc.
    // start_doc returns a job id > 0, or <= 0 on failure; the others > 0 on
    // success and <= 0 on failure, as the spooler calls themselves.
    int start_doc(const DocStart& doc) { return on_start_doc(doc); }
    int start_page() { return on_start_page(); }
    int end_page() { return on_end_page(); }
    int end_doc() { return on_end_doc(); }
    int abort_doc() { return on_abort_doc(); }

    // The DC is being deleted (DeleteDC / CloseMetaFile): last chance to flush.
    void closing() { on_close(); }

protected:
    explicit Device(const DeviceCaps& caps) : caps_(caps) {}
    void set_caps(const DeviceCaps& caps) { caps_ = caps; }

    virtual DrawStatus on_stretch_dib(const StretchDibCall& call, int* lines) = 0;
    virtual DrawStatus on_fill_path(const FillPathCall&) { return DrawStatus::unsupported; }
    virtual DrawStatus on_pat_blt(const PatBltCall&) { return DrawStatus::unsupported; }
    virtual void on_state(const StateChange&) {}
    virtual void on_select_palette(const PaletteData*) {}
    virtual UINT on_realize_palette(const PaletteData*) { return 0; }
    virtual int on_start_doc(const DocStart&) { return 1; }
    virtual int on_start_page() { return 1; }
    virtual int on_end_page() { return 1; }
    virtual int on_end_doc() { return 1; }
    virtual int on_abort_doc() { return 1; }
    virtual void on_close() {}

private:
    DeviceCaps caps_;
};

// Decides which printer devices CreateDCA makes for drivers other than
// "DISPLAY". Returns null when the driver/device is not its own. Must not
// throw (CreateDCA treats an exception as "not mine").
using DcFactory = std::function<std::unique_ptr<Device>(const char* driver, const char* device,
                                                        const char* port, const DEVMODEA* devmode)>;

} // namespace pw

// Registers a factory that CreateDCA consults, in registration order; returns
// an id for pw_unregister_dc_factory.
int pw_register_dc_factory(pw::DcFactory factory);
void pw_unregister_dc_factory(int id);

// Wraps a device into a new DC (OBJ_DC) that owns it; null when `device` is null.
HDC pw_create_dc(std::unique_ptr<pw::Device> device);
// The device behind a DC (for memory DCs, the device over the selected bitmap);
// null for an invalid handle. The DC keeps ownership.
pw::Device* pw_dc_device(HDC dc);

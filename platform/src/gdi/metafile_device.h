// The metafile device behind CreateMetaFileA: records the DC's calls in their
// logical form as standard Windows metafile records.
//
// What is recorded: mapping (META_SETMAPMODE, META_SETWINDOWORG/EXT,
// META_SETVIEWPORTORG/EXT), META_SETSTRETCHBLTMODE, META_SETPOLYFILLMODE,
// StretchDIBits as META_STRETCHDIB (only the source rows that the call reads,
// always as a bottom-up DIB with an RGB colour table), palettes
// (META_CREATEPALETTE, META_SELECTPALETTE, META_REALIZEPALETTE,
// META_DELETEOBJECT), filled paths as META_POLYPOLYGON with a solid brush and
// the null pen (curves flattened to half a logical unit), lines as
// META_MOVETO/META_LINETO with a pen, and PatBlt as META_PATBLT.
//
// Metafile coordinates are 16-bit: a value outside -32768..32767 cannot be
// recorded; the device then marks the recording as lost and CloseMetaFile
// fails rather than handing out a wrong picture.
#pragma once

#include "gdi/metafile_format.h"
#include "pw/device.h"

#include <optional>
#include <string>

namespace pw::gdi {

class MetafileDevice : public Device {
public:
    MetafileDevice();
    const char* kind() const override { return "metafile"; }

    // Ends the recording: the metafile's bytes, or nothing when a call could
    // not be recorded (see `error`).
    std::optional<std::vector<uint8_t>> finish();
    const std::string& error() const { return error_; }

protected:
    DrawStatus on_stretch_dib(const StretchDibCall& call, int* lines) override;
    DrawStatus on_fill_path(const FillPathCall& call) override;
    DrawStatus on_pat_blt(const PatBltCall& call) override;
    void on_state(const StateChange& change) override;
    void on_select_palette(const PaletteData* palette) override;
    UINT on_realize_palette(const PaletteData* palette) override;

private:
    bool fits(long long v);
    int new_slot();
    void free_slot(int slot);
    void use_brush(COLORREF color);
    void use_pen(COLORREF color, bool null_pen);

    MetaWriter out_;
    std::vector<bool> slots_;
    int brush_slot_ = -1;
    COLORREF brush_color_ = 0;
    int pen_slot_ = -1;
    bool pen_null_ = false;
    COLORREF pen_color_ = 0;
    int palette_slot_ = -1;
    std::string error_;
};

} // namespace pw::gdi

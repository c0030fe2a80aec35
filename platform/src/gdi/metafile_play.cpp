// PlayMetaFile: replays a metafile's records into any DC through the public
// GDI calls, so printing, preview and tests share one path.
//
// The bytes were checked when the handle was made (every record inside the
// bytes); each record's parameters are checked again here against what the
// record needs, and records that this layer does not draw are skipped. Objects
// the metafile creates live in a table indexed as the format prescribes
// (lowest free slot); whatever is left at the end is deleted, and the DC's own
// brush, pen and palette are selected back.
#include "gdi/dc.h"
#include "gdi/metafile_format.h"

#include <cstring>

using namespace pw;
using namespace pw::gdi;

namespace {

// Object-creating records this layer does not draw with still take a slot.
constexpr uint16_t kCreateFont = 0x02FB;
constexpr uint16_t kCreateRegion = 0x06FF;
constexpr uint16_t kCreatePatternBrush = 0x01F9;
constexpr uint16_t kDibCreatePatternBrush = 0x0142;
constexpr size_t kMaxObjects = 0xFFFF;

struct Player {
    HDC dc;
    std::vector<HGDIOBJ> table;
    std::vector<bool> used;
    bool ok = true;

    int add(HGDIOBJ object) {
        for (size_t i = 0; i < used.size(); ++i)
            if (!used[i]) {
                used[i] = true;
                table[i] = object;
                return static_cast<int>(i);
            }
        if (used.size() >= kMaxObjects) {
            if (object) DeleteObject(object);
            ok = false;
            return -1;
        }
        used.push_back(true);
        table.push_back(object);
        return static_cast<int>(table.size() - 1);
    }
    HGDIOBJ at(size_t i) const { return i < table.size() && used[i] ? table[i] : nullptr; }

    void remove(size_t i, const HGDIOBJ keep[3]) {
        if (i >= table.size() || !used[i]) {
            ok = false;
            return;
        }
        HGDIOBJ o = table[i];
        if (o) {
            // Deleting what is selected: put the DC's own object back first.
            DWORD type = GetObjectType(o);
            if (type == OBJ_BRUSH && GetCurrentObject(dc, OBJ_BRUSH) == o) SelectObject(dc, keep[0]);
            if (type == OBJ_PEN && GetCurrentObject(dc, OBJ_PEN) == o) SelectObject(dc, keep[1]);
            if (type == OBJ_PAL && GetCurrentObject(dc, OBJ_PAL) == o)
                SelectPalette(dc, static_cast<HPALETTE>(keep[2]), FALSE);
            DeleteObject(o);
        }
        table[i] = nullptr;
        used[i] = false;
    }

    // Polygons: filled with the brush, outlined with the pen.
    void polygons(const MetaRecord& r, size_t count_at, size_t n_polys, size_t points_at) {
        size_t total = 0;
        for (size_t k = 0; k < n_polys; ++k) total += r.word(count_at + k);
        if (points_at + 2 * total > r.words()) {
            ok = false;
            return;
        }
        BeginPath(dc);
        size_t p = points_at;
        for (size_t k = 0; k < n_polys; ++k) {
            size_t n = r.word(count_at + k);
            for (size_t i = 0; i < n; ++i, p += 2) {
                if (i == 0) MoveToEx(dc, r.sword(p), r.sword(p + 1), nullptr);
                else LineTo(dc, r.sword(p), r.sword(p + 1));
            }
            if (n > 0) CloseFigure(dc);
        }
        EndPath(dc);
        FillPath(dc);
        {
            HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
            if (pen && pen != GetStockObject(NULL_PEN)) {
                p = points_at;
                for (size_t k = 0; k < n_polys; ++k) {
                    size_t n = r.word(count_at + k);
                    size_t first = p;
                    for (size_t i = 0; i < n; ++i, p += 2) {
                        if (i == 0) MoveToEx(dc, r.sword(p), r.sword(p + 1), nullptr);
                        else LineTo(dc, r.sword(p), r.sword(p + 1));
                    }
                    if (n > 1) LineTo(dc, r.sword(first), r.sword(first + 1));
                }
            }
        }
    }

    // A DIB inside a record, from parameter word `at` on. Copied to aligned
    // memory: inside the record it is only two-byte aligned.
    void stretch_dib(const MetaRecord& r, size_t at, DWORD rop, UINT usage, int sh, int sw, int sy,
                     int sx, int dh, int dw, int dy, int dx) {
        const size_t offset = at * 2;
        if (offset >= r.size) {
            ok = false;
            return;
        }
        const size_t n = r.size - offset;
        std::vector<uint32_t> copy((n + 3) / 4);
        std::memcpy(copy.data(), r.params + offset, n);
        if (n < sizeof(BITMAPINFOHEADER)) {
            ok = false;
            return;
        }
        const auto* info = reinterpret_cast<const BITMAPINFO*>(copy.data());
        // The colour table's size decides where the pixels start.
        DibView view;
        if (!make_dib_view(info, n, info, 0, usage, &view)) {
            ok = false;
            return;
        }
        const size_t bits_at = view.info_size;
        if (bits_at >= n) {
            ok = false;
            return;
        }
        const uint8_t* bits = reinterpret_cast<const uint8_t*>(copy.data()) + bits_at;
        int lines = pw_StretchDIBitsChecked(dc, dx, dy, dw, dh, sx, sy, sw, sh, bits, n - bits_at,
                                            info, bits_at, usage, rop);
        if (lines == static_cast<int>(GDI_ERROR)) ok = false;
    }

    void play(const MetaRecord& r, const HGDIOBJ keep[3]) {
        const size_t w = r.words();
        auto need = [&](size_t words) {
            if (w >= words) return true;
            ok = false;
            return false;
        };
        switch (r.function) {
        case META_SETMAPMODE:
            if (need(1)) SetMapMode(dc, r.word(0));
            break;
        case META_SETWINDOWORG:
            if (need(2)) SetWindowOrgEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_SETWINDOWEXT:
            if (need(2)) SetWindowExtEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_SETVIEWPORTORG:
            if (need(2)) SetViewportOrgEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_SETVIEWPORTEXT:
            if (need(2)) SetViewportExtEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_OFFSETWINDOWORG:
            if (need(2)) OffsetWindowOrgEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_OFFSETVIEWPORTORG:
            if (need(2)) OffsetViewportOrgEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_SETSTRETCHBLTMODE:
            if (need(1)) SetStretchBltMode(dc, r.word(0));
            break;
        case META_SETPOLYFILLMODE:
            if (need(1)) SetPolyFillMode(dc, r.word(0));
            break;
        case META_STRETCHDIB:
            if (need(11))
                stretch_dib(r, 11, r.word(0) | static_cast<DWORD>(r.word(1)) << 16, r.word(2),
                            r.sword(3), r.sword(4), r.sword(5), r.sword(6), r.sword(7), r.sword(8),
                            r.sword(9), r.sword(10));
            break;
        case META_DIBSTRETCHBLT: {
            const DWORD rop = r.word(0) | static_cast<DWORD>(r.word(1)) << 16;
            if (w >= 10 + 20) { // with a DIB
                stretch_dib(r, 10, rop, DIB_RGB_COLORS, r.sword(2), r.sword(3), r.sword(4),
                            r.sword(5), r.sword(6), r.sword(7), r.sword(8), r.sword(9));
            } else if (need(9)) { // without: a pattern fill of the destination
                PatBlt(dc, r.sword(8), r.sword(7), r.sword(6), r.sword(5), rop);
            }
            break;
        }
        case META_PATBLT:
            if (need(6))
                PatBlt(dc, r.sword(5), r.sword(4), r.sword(3), r.sword(2),
                       r.word(0) | static_cast<DWORD>(r.word(1)) << 16);
            break;
        case META_CREATEBRUSHINDIRECT:
            if (need(4)) {
                LOGBRUSH lb{};
                lb.lbStyle = r.word(0) == BS_NULL ? BS_NULL : BS_SOLID; // hatches draw solid
                lb.lbColor = r.word(1) | static_cast<DWORD>(r.word(2)) << 16;
                add(CreateBrushIndirect(&lb));
            }
            break;
        case META_CREATEPENINDIRECT:
            if (need(5))
                add(CreatePen((r.word(0) & 0xF) == PS_NULL ? PS_NULL : PS_SOLID, r.sword(1),
                              r.word(3) | static_cast<DWORD>(r.word(4)) << 16));
            break;
        case META_CREATEPALETTE:
            if (need(2)) {
                const size_t n = r.word(1);
                if (n == 0 || !need(2 + 2 * n)) break;
                std::vector<uint8_t> mem(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
                auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
                lp->palVersion = 0x300;
                lp->palNumEntries = static_cast<WORD>(n);
                std::memcpy(lp->palPalEntry, r.params + 4, n * sizeof(PALETTEENTRY));
                add(CreatePalette(lp));
            }
            break;
        case kCreateFont:
        case kCreateRegion:
        case kCreatePatternBrush:
        case kDibCreatePatternBrush: add(nullptr); break;
        case META_SELECTOBJECT:
            if (need(1)) {
                HGDIOBJ o = at(r.word(0));
                if (o) SelectObject(dc, o);
            }
            break;
        case META_SELECTPALETTE:
            if (need(1)) {
                HGDIOBJ o = at(r.word(0));
                if (o && GetObjectType(o) == OBJ_PAL) SelectPalette(dc, static_cast<HPALETTE>(o), FALSE);
            }
            break;
        case META_REALIZEPALETTE: RealizePalette(dc); break;
        case META_DELETEOBJECT:
            if (need(1)) remove(r.word(0), keep);
            break;
        case META_MOVETO:
            if (need(2)) MoveToEx(dc, r.sword(1), r.sword(0), nullptr);
            break;
        case META_LINETO:
            if (need(2)) LineTo(dc, r.sword(1), r.sword(0));
            break;
        case META_POLYGON:
            if (need(1)) {
                // The count is the first word; reuse the poly-polygon path.
                polygons(r, 0, 1, 1);
            }
            break;
        case META_POLYLINE:
            if (need(1)) {
                const size_t n = r.word(0);
                if (!need(1 + 2 * n)) break;
                for (size_t i = 0; i < n; ++i) {
                    if (i == 0) MoveToEx(dc, r.sword(1), r.sword(2), nullptr);
                    else LineTo(dc, r.sword(1 + 2 * i), r.sword(2 + 2 * i));
                }
            }
            break;
        case META_POLYPOLYGON:
            if (need(1)) {
                const size_t polys = r.word(0);
                if (need(1 + polys)) polygons(r, 1, polys, 1 + polys);
            }
            break;
        default: break; // not drawn by this layer
        }
    }
};

} // namespace

extern "C" BOOL WINAPI PlayMetaFile(HDC dc, HMETAFILE metafile) {
    auto* mf = find<MetafileObject>(metafile, OBJ_METAFILE);
    if (!mf || !find_dc(dc)) return FALSE;
    std::vector<MetaRecord> records;
    if (!scan_metafile(mf->bytes.data(), mf->bytes.size(), &records)) return FALSE;
    Player player{dc, {}, {}};
    const HGDIOBJ keep[3] = {GetCurrentObject(dc, OBJ_BRUSH), GetCurrentObject(dc, OBJ_PEN),
                             GetCurrentObject(dc, OBJ_PAL)};
    try {
        for (const MetaRecord& r : records) player.play(r, keep);
    } catch (...) {
        player.ok = false;
    }
    SelectObject(dc, keep[0]);
    SelectObject(dc, keep[1]);
    SelectPalette(dc, static_cast<HPALETTE>(keep[2]), FALSE);
    for (size_t i = 0; i < player.table.size(); ++i)
        if (player.used[i] && player.table[i]) DeleteObject(player.table[i]);
    return player.ok ? TRUE : FALSE;
}

// Icons and cursors: images in memory, loaded from modules' icon groups or made
// for the system ids; the process's current cursor.
#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "kernel/modules.h"
#include "pw/user.h"
#include "resources/lookup.h"

using namespace pw::detail;

namespace {

struct Icon {
    int width = 0;
    int height = 0;
    std::vector<BYTE> rgba;
    bool system = false;  // never destroyed
    bool shared = false;  // destroyed with its module
    link_map* module = nullptr;
    UINT id = 0;
};

std::mutex& icon_mutex() {
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_set<Icon*>& live_icons() {
    static auto* s = new std::unordered_set<Icon*>;
    return *s;
}

HICON to_handle(Icon* i) { return reinterpret_cast<HICON>(i); }

Icon* live(HICON h) {
    auto* i = reinterpret_cast<Icon*>(h);
    return live_icons().count(i) ? i : nullptr;
}

constexpr int max_icon_side = 1024;

// A plain picture for a system id: a filled disc in a colour of the id, on a
// transparent square, so that different ids look different.
Icon* make_system_image(UINT id, int side) {
    auto* icon = new Icon;
    icon->width = icon->height = side;
    icon->system = true;
    icon->id = id;
    icon->rgba.assign(static_cast<size_t>(side) * side * 4, 0);
    const BYTE r = static_cast<BYTE>(id * 37), g = static_cast<BYTE>(id * 91), b = static_cast<BYTE>(id * 53);
    const int c = side / 2;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if ((x - c) * (x - c) + (y - c) * (y - c) <= c * c) {
                BYTE* p = &icon->rgba[(static_cast<size_t>(y) * side + x) * 4];
                p[0] = r, p[1] = g, p[2] = b, p[3] = 255;
            }
    live_icons().insert(icon);
    return icon;
}

// System icons and cursors by id (one object per id and kind).
HICON system_object(UINT id, bool cursor) {
    static auto* cache = new std::vector<std::pair<UINT, Icon*>>;
    const UINT key = id | (cursor ? 0x80000000u : 0);
    std::lock_guard lock(icon_mutex());
    for (auto& [k, icon] : *cache)
        if (k == key) return to_handle(icon);
    Icon* icon = make_system_image(id, 32);
    cache->emplace_back(key, icon);
    return to_handle(icon);
}

bool is_system_cursor_id(UINT id) {
    return (id >= 32512 && id <= 32516) || id == 32640 || id == 32641 || id == 32642 || id == 32643 ||
           id == 32644 || id == 32645 || id == 32646 || id == 32648 || id == 32649 || id == 32650 || id == 32651;
}

bool is_system_icon_id(UINT id) { return id >= 32512 && id <= 32518; }

UINT resource_id(LPCSTR name) { return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)); }

bool valid_image(const pw::res::IconImage& im) {
    return im.rgba && im.width > 0 && im.height > 0 && im.width <= max_icon_side && im.height <= max_icon_side;
}

// The image of exactly the wanted size, else the smallest larger one, else the largest.
const pw::res::IconImage* choose(const pw::res::IconGroup& g, int cx, int cy) {
    const pw::res::IconImage* best = nullptr;
    for (size_t i = 0; i < g.count; ++i) {
        const auto& im = g.images[i];
        if (!valid_image(im)) continue;
        if (im.width == cx && im.height == cy) return &im;
    }
    for (size_t i = 0; i < g.count; ++i) {
        const auto& im = g.images[i];
        if (!valid_image(im) || im.width < cx || im.height < cy) continue;
        if (!best || im.width * im.height < best->width * best->height) best = &im;
    }
    if (best) return best;
    for (size_t i = 0; i < g.count; ++i) {
        const auto& im = g.images[i];
        if (valid_image(im) && (!best || im.width * im.height > best->width * best->height)) best = &im;
    }
    return best;
}

Icon* make_icon(const pw::res::IconImage& im, int cx, int cy) {
    auto* icon = new Icon;
    icon->width = cx;
    icon->height = cy;
    icon->rgba.resize(static_cast<size_t>(cx) * cy * 4);
    // Nearest-neighbour scaling; the exact size copies the pixels unchanged.
    for (int y = 0; y < cy; ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * im.height / cy);
        for (int x = 0; x < cx; ++x) {
            const int sx = static_cast<int>(static_cast<long long>(x) * im.width / cx);
            std::memcpy(&icon->rgba[(static_cast<size_t>(y) * cx + x) * 4],
                        &im.rgba[(static_cast<size_t>(sy) * im.width + sx) * 4], 4);
        }
    }
    return icon;
}

std::atomic<HCURSOR> current_cursor{nullptr};

}  // namespace

namespace pw::detail {
void destroy_shared_icons(const std::vector<HICON>& icons) {
    std::lock_guard lock(icon_mutex());
    for (HICON h : icons)
        if (Icon* i = live(h)) {
            live_icons().erase(i);
            delete i;
        }
}
}  // namespace pw::detail

extern "C" {

int WINAPI GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return 1024;
        case SM_CYSCREEN: return 768;
        case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
        case SM_CXSMICON: case SM_CYSMICON: return 16;
        default: return 0;
    }
}

HANDLE WINAPI LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (type != IMAGE_ICON && type != IMAGE_CURSOR) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if ((flags & LR_LOADFROMFILE) || !IS_INTRESOURCE(name) || cx < 0 || cy < 0 || cx > max_icon_side ||
        cy > max_icon_side) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const UINT id = resource_id(name);
    if (!module) {
        if (type == IMAGE_CURSOR && is_system_cursor_id(id)) return system_object(id, true);
        if (type == IMAGE_ICON && is_system_icon_id(id)) return system_object(id, false);
    }
    if (type == IMAGE_CURSOR) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    // The declaration stays valid while the module stays loaded, which a caller
    // loading from it relies on anyway.
    const pw::res::ModuleResources* r = resources_of(module);
    const pw::res::IconGroup* group = find_icon_group(r, id);
    if (!group) {
        SetLastError(r ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const pw::res::IconImage* first = choose(*group, 0, 0);
    if (!first) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    if (cx == 0) cx = (flags & LR_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : group->images[0].width;
    if (cy == 0) cy = (flags & LR_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : group->images[0].height;
    if (cx <= 0 || cy <= 0 || cx > max_icon_side || cy > max_icon_side) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    link_map* m = live_module(module);
    if (flags & LR_SHARED) {
        std::lock_guard records(record_mutex());
        std::lock_guard lock(icon_mutex());
        ModuleRecord* rec = find_record(m);
        if (rec)
            for (HICON h : rec->shared_icons)
                if (Icon* i = live(h); i && i->id == id && i->width == cx && i->height == cy) return h;
    }
    Icon* icon = make_icon(*choose(*group, cx, cy), cx, cy);
    icon->id = id;
    icon->module = m;
    {
        std::lock_guard lock(icon_mutex());
        live_icons().insert(icon);
    }
    if (flags & LR_SHARED) {
        icon->shared = true;
        std::lock_guard records(record_mutex());
        make_record(m).shared_icons.push_back(to_handle(icon));
    }
    return to_handle(icon);
}

HICON WINAPI LoadIconA(HINSTANCE module, LPCSTR name) {
    return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

BOOL WINAPI DestroyIcon(HICON h) {
    std::lock_guard lock(icon_mutex());
    Icon* i = live(h);
    if (!i) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return FALSE;
    }
    if (i->system || i->shared) return TRUE;
    live_icons().erase(i);
    delete i;
    return TRUE;
}

BOOL pw_get_icon_image(HICON h, int* cx, int* cy, const BYTE** rgba) {
    std::lock_guard lock(icon_mutex());
    Icon* i = live(h);
    if (!i) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return FALSE;
    }
    if (cx) *cx = i->width;
    if (cy) *cy = i->height;
    if (rgba) *rgba = i->rgba.data();
    return TRUE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE module, LPCSTR name) {
    return static_cast<HCURSOR>(LoadImageA(module, name, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

BOOL WINAPI DestroyCursor(HCURSOR h) { return DestroyIcon(h); }

// The process starts with the arrow; SetCursor(NULL) hides the cursor, so
// NULL is a value of its own afterwards.
static void start_with_arrow() {
    static std::once_flag once;
    std::call_once(once, [] { current_cursor.store(LoadCursorA(nullptr, IDC_ARROW)); });
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    start_with_arrow();
    return current_cursor.exchange(cursor);
}

HCURSOR WINAPI GetCursor(void) {
    start_with_arrow();
    return current_cursor.load();
}

}  // extern "C"

// Global and local memory: one heap of blocks with lock counts.
//
// Every live block is kept in a table, so that any handle can be checked before
// it is used: a handle that is not (or no longer) ours is answered with an
// error, never followed. Moveable handles are numbers that are never reused
// and never look like heap addresses (they end in binary 100, heap blocks are
// 16-byte aligned), so a freed handle stays invalid for good.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "pw/kernel.h"

namespace {

struct Block {
    void* data = nullptr;  // NULL for a discarded (0-byte) moveable block
    size_t size = 0;
    unsigned locks = 0;
    bool moveable = false;
};

struct Heap {
    std::mutex mutex;
    std::unordered_map<void*, Block> blocks;           // by handle
    std::unordered_map<const void*, void*> by_address;  // moveable data -> handle
    uintptr_t next_handle = 0x10000;
};

Heap& heap() {
    static Heap* h = new Heap;  // never destroyed: blocks may be freed by late static destructors
    return *h;
}

void* handle_value(Heap& h) {
    h.next_handle += 0x10;
    return reinterpret_cast<void*>(h.next_handle | 0x4);
}

Block* find(Heap& h, void* handle) {
    auto it = h.blocks.find(handle);
    return it == h.blocks.end() ? nullptr : &it->second;
}

// Requests beyond this are refused before they reach the allocator (some
// allocators, sanitizers among them, abort instead of failing on such sizes).
constexpr size_t max_block = size_t{1} << 40;

void* zeroed(size_t n) { return n == 0 || n > max_block ? nullptr : std::calloc(1, n); }

}  // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    Heap& h = heap();
    const bool moveable = (flags & GMEM_MOVEABLE) != 0;
    void* data = zeroed(moveable ? bytes : (bytes == 0 ? 1 : bytes));
    if (!data && (bytes != 0 || !moveable)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard lock(h.mutex);
    void* handle = moveable ? handle_value(h) : data;
    h.blocks[handle] = Block{data, bytes, 0, moveable};
    if (moveable && data) h.by_address[data] = handle;
    return handle;
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    Block* b = find(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (flags & GMEM_MODIFY) return mem;  // attributes only; ours do not change
    // A fixed block, or a locked moveable one, must keep its address unless the
    // caller allows a move (GMEM_MOVEABLE), as on the original platform.
    const bool may_move = b->moveable ? (b->locks == 0 || (flags & GMEM_MOVEABLE)) : (flags & GMEM_MOVEABLE);
    if (bytes <= b->size) {
        if (bytes == 0 && b->moveable) {
            h.by_address.erase(b->data);
            std::free(b->data);
            b->data = nullptr;
        }
        b->size = bytes;
        return mem;
    }
    if (!may_move) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* data = zeroed(bytes);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (b->data) std::memcpy(data, b->data, b->size);
    Block moved = *b;
    if (moved.data && moved.moveable) h.by_address.erase(moved.data);
    std::free(moved.data);
    moved.data = data;
    moved.size = bytes;
    if (!moved.moveable) {
        // A fixed block's handle is its address, so it gets a new handle.
        h.blocks.erase(mem);
        h.blocks[data] = moved;
        return data;
    }
    *b = moved;
    h.by_address[data] = mem;
    return mem;
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    Block* b = find(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!b->moveable) return b->data;
    if (!b->data) return nullptr;  // discarded
    ++b->locks;
    return b->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    Block* b = find(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (b->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--b->locks == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

UINT WINAPI GlobalFlags(HGLOBAL mem) {
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    Block* b = find(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GMEM_INVALID_HANDLE;
    }
    UINT flags = b->locks > GMEM_LOCKCOUNT ? GMEM_LOCKCOUNT : b->locks;
    if (b->moveable && !b->data) flags |= GMEM_DISCARDED;
    return flags;
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    Block* b = find(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return b->size;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
    if (!mem) return nullptr;
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    auto it = h.blocks.find(mem);
    if (it == h.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return mem;
    }
    if (it->second.moveable && it->second.data) h.by_address.erase(it->second.data);
    std::free(it->second.data);
    h.blocks.erase(it);
    return nullptr;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID p) {
    if (!p) return nullptr;
    Heap& h = heap();
    std::lock_guard lock(h.mutex);
    if (auto it = h.by_address.find(p); it != h.by_address.end()) return it->second;
    auto it = h.blocks.find(const_cast<void*>(p));
    if (it != h.blocks.end() && !it->second.moveable) return it->first;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) { return GlobalAlloc(flags & (LMEM_MOVEABLE | LMEM_ZEROINIT), bytes); }
LPVOID WINAPI LocalLock(HLOCAL mem) { return GlobalLock(mem); }
BOOL WINAPI LocalUnlock(HLOCAL mem) { return GlobalUnlock(mem); }
UINT WINAPI LocalFlags(HLOCAL mem) { return GlobalFlags(mem); }
SIZE_T WINAPI LocalSize(HLOCAL mem) { return GlobalSize(mem); }
HLOCAL WINAPI LocalFree(HLOCAL mem) { return GlobalFree(mem); }

}  // extern "C"

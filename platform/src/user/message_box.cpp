// Message boxes without a window system: a hook, or a block on stderr.
#include <cstdio>
#include <mutex>

#include "pw/user.h"

namespace {

std::mutex& hook_mutex() {
    static auto* m = new std::mutex;
    return *m;
}
PW_MESSAGEBOX_HOOK hook = nullptr;
void* hook_ctx = nullptr;

// The button a user gets by pressing Enter: the chosen default button of the
// box's button set.
int default_button(UINT type) {
    static const int buttons[][3] = {
        {IDOK, IDOK, IDOK},              // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},      // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},    // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},         // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},             // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},   // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
    };
    UINT set = type & MB_TYPEMASK;
    if (set > 6) set = 0;
    UINT which = (type & MB_DEFMASK) >> 8;
    if (which > 2) which = 0;
    return buttons[set][which];
}

}  // namespace

extern "C" {

PW_MESSAGEBOX_HOOK pw_set_message_box_hook(PW_MESSAGEBOX_HOOK h, void* ctx, void** previous_ctx) {
    std::lock_guard lock(hook_mutex());
    PW_MESSAGEBOX_HOOK previous = hook;
    if (previous_ctx) *previous_ctx = hook_ctx;
    hook = h;
    hook_ctx = ctx;
    return previous;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type) {
    PW_MESSAGEBOX_HOOK h;
    void* ctx;
    {
        std::lock_guard lock(hook_mutex());
        h = hook;
        ctx = hook_ctx;
    }
    if (h) return h(ctx, hWnd, text, caption, type);
    // One write, so that boxes from several threads do not interleave.
    std::string block = "[";
    block += caption ? caption : "Error";
    block += "] ";
    block += text ? text : "";
    block += "\n";
    std::fwrite(block.data(), 1, block.size(), stderr);
    std::fflush(stderr);
    return default_button(type);
}

BOOL WINAPI MessageBeep(UINT) { return TRUE; }

}  // extern "C"

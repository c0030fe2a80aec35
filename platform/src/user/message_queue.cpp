// Per-thread message queues and windows without a screen.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "pw/user.h"

namespace {

struct Queue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<MSG> messages;
    PW_THREAD_MESSAGE_HANDLER handler = nullptr;
    void* handler_ctx = nullptr;
};

struct Window {
    WNDPROC proc = nullptr;
    LONG_PTR user_data = 0;
    LONG_PTR id = 0;
    DWORD thread = 0;
    bool destroying = false;
};

// Queues by thread id and windows by handle; the mutex guards both tables (a
// queue's contents have their own mutex).
struct Tables {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
    std::unordered_map<HWND, Window> windows;
    uintptr_t next_window = 0x20000;
};

Tables& tables() {
    static auto* t = new Tables;
    return *t;
}

// The calling thread's queue, made on first use and withdrawn when the thread ends.
struct QueueOwner {
    std::shared_ptr<Queue> queue;
    DWORD thread = 0;
    ~QueueOwner() {
        if (!queue) return;
        std::lock_guard lock(tables().mutex);
        tables().queues.erase(thread);
    }
};
thread_local QueueOwner owner;

Queue& my_queue() {
    if (!owner.queue) {
        owner.queue = std::make_shared<Queue>();
        owner.thread = GetCurrentThreadId();
        std::lock_guard lock(tables().mutex);
        tables().queues[owner.thread] = owner.queue;
    }
    return *owner.queue;
}

std::shared_ptr<Queue> queue_of_thread(DWORD thread) {
    std::lock_guard lock(tables().mutex);
    auto it = tables().queues.find(thread);
    return it == tables().queues.end() ? nullptr : it->second;
}

bool find_window(HWND h, Window& out) {
    std::lock_guard lock(tables().mutex);
    auto it = tables().windows.find(h);
    if (it == tables().windows.end()) return false;
    out = it->second;
    return true;
}

bool matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
    if (filter == reinterpret_cast<HWND>(-1)) {
        if (m.hwnd) return false;
    } else if (filter && m.hwnd != filter) {
        return false;
    }
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

// Takes (or copies) the first matching message; false when there is none.
bool take(Queue& q, LPMSG out, HWND filter, UINT lo, UINT hi, bool remove) {
    for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
        if (!matches(*it, filter, lo, hi)) continue;
        *out = *it;
        if (remove) q.messages.erase(it);
        return true;
    }
    return false;
}

BOOL post(Queue& q, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MSG m{hwnd, msg, wp, lp, GetTickCount(), {0, 0}};
    {
        std::lock_guard lock(q.mutex);
        q.messages.push_back(m);
    }
    q.arrived.notify_all();
    return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT lo, UINT hi, UINT remove) {
    Queue& q = my_queue();
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(q.mutex);
    return take(q, msg, hwnd, lo, hi, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT lo, UINT hi) {
    Queue& q = my_queue();
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    std::unique_lock lock(q.mutex);
    q.arrived.wait(lock, [&] { return take(q, msg, hwnd, lo, hi, true); });
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI WaitMessage(void) {
    Queue& q = my_queue();
    std::unique_lock lock(q.mutex);
    q.arrived.wait(lock, [&] { return !q.messages.empty(); });
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD thread, UINT msg, WPARAM wp, LPARAM lp) {
    std::shared_ptr<Queue> q = queue_of_thread(thread);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return post(*q, nullptr, msg, wp, lp);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!hwnd) return post(my_queue(), nullptr, msg, wp, lp);
    Window w;
    if (!find_window(hwnd, w)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::shared_ptr<Queue> q = queue_of_thread(w.thread);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return post(*q, hwnd, msg, wp, lp);
}

void WINAPI PostQuitMessage(int code) { post(my_queue(), nullptr, WM_QUIT, static_cast<WPARAM>(code), 0); }

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    if (!msg->hwnd) {
        Queue& q = my_queue();
        PW_THREAD_MESSAGE_HANDLER handler;
        void* ctx;
        {
            std::lock_guard lock(q.mutex);
            handler = q.handler;
            ctx = q.handler_ctx;
        }
        return handler ? handler(ctx, msg) : 0;
    }
    Window w;
    if (!find_window(msg->hwnd, w) || !w.proc) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return w.proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

PW_THREAD_MESSAGE_HANDLER pw_set_thread_message_handler(PW_THREAD_MESSAGE_HANDLER handler, void* ctx,
                                                        void** previous_ctx) {
    Queue& q = my_queue();
    std::lock_guard lock(q.mutex);
    PW_THREAD_MESSAGE_HANDLER previous = q.handler;
    if (previous_ctx) *previous_ctx = q.handler_ctx;
    q.handler = handler;
    q.handler_ctx = ctx;
    return previous;
}

HWND pw_create_window(WNDPROC proc, LONG_PTR user_data) {
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    my_queue();
    HWND h;
    {
        std::lock_guard lock(tables().mutex);
        tables().next_window += 0x10;
        h = reinterpret_cast<HWND>(tables().next_window | 0x2);
        tables().windows[h] = Window{proc, user_data, 0, GetCurrentThreadId(), false};
    }
    if (proc(h, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(h);
        SetLastError(ERROR_CANCELLED);
        return nullptr;
    }
    return h;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window w;
    {
        std::lock_guard lock(tables().mutex);
        auto it = tables().windows.find(hwnd);
        if (it == tables().windows.end() || it->second.destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        it->second.destroying = true;
        w = it->second;
    }
    w.proc(hwnd, WM_DESTROY, 0, 0);
    w.proc(hwnd, WM_NCDESTROY, 0, 0);
    {
        std::lock_guard lock(tables().mutex);
        tables().windows.erase(hwnd);
    }
    if (std::shared_ptr<Queue> q = queue_of_thread(w.thread)) {
        std::lock_guard lock(q->mutex);
        std::erase_if(q->messages, [&](const MSG& m) { return m.hwnd == hwnd; });
    }
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) {
    Window w;
    return find_window(hwnd, w) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window w;
    if (!find_window(hwnd, w)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return w.proc(hwnd, msg, wp, lp);
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CLOSE) DestroyWindow(hwnd);
    return 0;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    Window w;
    if (!find_window(hwnd, w)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
        case GWLP_USERDATA: return w.user_data;
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w.proc);
        case GWLP_ID: return w.id;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    std::lock_guard lock(tables().mutex);
    auto it = tables().windows.find(hwnd);
    if (it == tables().windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Window& w = it->second;
    LONG_PTR previous = 0;
    switch (index) {
        case GWLP_USERDATA: previous = w.user_data; w.user_data = value; break;
        case GWLP_ID: previous = w.id; w.id = value; break;
        case GWLP_WNDPROC:
            if (!value) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            previous = reinterpret_cast<LONG_PTR>(w.proc);
            w.proc = reinterpret_cast<WNDPROC>(value);
            break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    return previous;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD process) {
    Window w;
    if (!find_window(hwnd, w)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (process) *process = GetCurrentProcessId();
    return w.thread;
}

}  // extern "C"

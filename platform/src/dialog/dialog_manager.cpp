// The dialog manager: dialogs and their controls as windows of pw/user.h, shown
// and answered through the console.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "dialog/console.h"
#include "pw/afx_dialog.h"

namespace {

using pw::dlg::Console;
using pw::dlg::display_text;

struct Dialog;

struct Control {
    int id;
    std::string window_class;
    std::string text;
    DWORD style;
    HWND hwnd = nullptr;
    Dialog* parent = nullptr;
    bool is_static() const { return strcasecmp(window_class.c_str(), "STATIC") == 0; }
};

struct Dialog {
    HWND hwnd = nullptr;
    std::string caption;
    DLGPROC proc = nullptr;
    bool modal = false;
    bool shown_once = false;  // a modeless dialog that has printed itself
    bool ended = false;
    INT_PTR result = 0;
    HICON icons[2] = {nullptr, nullptr};  // ICON_SMALL, ICON_BIG
    std::vector<std::unique_ptr<Control>> controls;

    std::string label() const {
        std::string c = display_text(caption);
        return c.empty() ? "window" : c;
    }
    Control* control(int id) {
        for (auto& c : controls)
            if (c->id == id) return c.get();
        return nullptr;
    }
};

enum class ShowState { hidden, shown, minimized };

// Lookups by handle; the objects themselves are only touched on their thread.
std::mutex g_mutex;
std::unordered_map<HWND, Dialog*> g_dialogs;
std::unordered_map<HWND, Control*> g_controls;
std::unordered_map<HWND, ShowState> g_show;

Dialog* find_dialog(HWND h) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_dialogs.find(h);
    return it == g_dialogs.end() ? nullptr : it->second;
}

Control* find_control(HWND h) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_controls.find(h);
    return it == g_controls.end() ? nullptr : it->second;
}

ShowState show_state(HWND h) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_show.find(h);
    return it == g_show.end() ? ShowState::hidden : it->second;
}

LRESULT copy_text(const std::string& text, WPARAM size, LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    if (!out || size == 0) return 0;
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
    return static_cast<LRESULT>(n);
}

void print_modeless(Dialog& d) {
    std::string out;
    for (auto& c : d.controls)
        if (c->is_static() && !c->text.empty()) out += "[" + d.label() + "] " + display_text(c->text) + "\n";
    if (!out.empty()) Console::get().write(out);
    d.shown_once = true;
}

LRESULT CALLBACK control_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Control* c = find_control(hwnd);
    if (!c) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_SETTEXT: {
        std::string text = lp ? reinterpret_cast<const char*>(lp) : "";
        bool changed = text != c->text;
        c->text = std::move(text);
        Dialog* d = c->parent;
        if (changed && d && !d->modal && c->is_static() && !c->text.empty() &&
            show_state(d->hwnd) != ShowState::hidden)
            Console::get().write("[" + d->label() + "] " + display_text(c->text) + "\n");
        return TRUE;
    }
    case WM_GETTEXT: return copy_text(c->text, wp, lp);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(c->text.size());
    case WM_NCDESTROY: {
        // The Control itself belongs to its dialog and goes with it.
        std::lock_guard<std::mutex> lock(g_mutex);
        g_controls.erase(hwnd);
        g_show.erase(hwnd);
        return 0;
    }
    default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// What DefDlgProc does with a message the dialog's procedure left alone.
LRESULT default_dialog_message(Dialog& d, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETICON: {
        int which = wp == ICON_BIG ? 1 : 0;
        HICON old = d.icons[which];
        d.icons[which] = reinterpret_cast<HICON>(lp);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: return reinterpret_cast<LRESULT>(d.icons[wp == ICON_BIG ? 1 : 0]);
    case WM_SETTEXT:
        d.caption = lp ? reinterpret_cast<const char*>(lp) : "";
        return TRUE;
    case WM_GETTEXT: return copy_text(d.caption, wp, lp);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(d.caption.size());
    case WM_SHOWWINDOW:
        if (wp && !d.modal) print_modeless(d);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(d.hwnd, LOWORD(wp));
        return 0;
    case WM_CLOSE: SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); return 0;
    default: return DefWindowProcA(d.hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* d = find_dialog(hwnd);
    if (!d) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_DESTROY) {
        if (d->proc) d->proc(hwnd, msg, wp, lp);
        if (d->shown_once) Console::get().write("[" + d->label() + "] closed\n");
        for (auto& c : d->controls) DestroyWindow(c->hwnd);
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        if (d->proc) d->proc(hwnd, msg, wp, lp);
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_dialogs.erase(hwnd);
            g_show.erase(hwnd);
        }
        delete d;
        return 0;
    }
    if (d->proc) {
        INT_PTR handled = d->proc(hwnd, msg, wp, lp);
        // These answer through the procedure's result itself, as on the original.
        if (msg == WM_QUERYDRAGICON || msg == WM_INITDIALOG) return handled;
        if (handled) return 0;
    }
    return default_dialog_message(*d, msg, wp, lp);
}

// Builds the dialog's windows from its template; sends WM_INITDIALOG.
Dialog* create_dialog(HINSTANCE inst, LPCSTR name, DLGPROC proc, LPARAM init, bool modal) {
    const pw::res::DialogTemplate* t =
        IS_INTRESOURCE(name) ? pw_find_dialog_template(inst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)))
                             : nullptr;
    if (!t) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto d = std::make_unique<Dialog>();
    d->caption = t->caption ? t->caption : "";
    d->proc = proc;
    d->modal = modal;
    for (size_t i = 0; i < t->count; ++i) {
        const pw::res::DialogControl& dc = t->controls[i];
        auto c = std::make_unique<Control>(Control{dc.id, dc.window_class ? dc.window_class : "",
                                                   dc.text ? dc.text : "", dc.style, nullptr, d.get()});
        d->controls.push_back(std::move(c));
    }
    HWND hwnd = pw_create_window(dialog_proc, 0);
    if (!hwnd) return nullptr;
    d->hwnd = hwnd;
    Dialog* raw = d.release();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_dialogs[hwnd] = raw;
    }
    for (auto& c : raw->controls) {
        c->hwnd = pw_create_window(control_proc, 0);
        std::lock_guard<std::mutex> lock(g_mutex);
        if (c->hwnd) g_controls[c->hwnd] = c.get();
    }
    HWND focus = raw->controls.empty() ? nullptr : raw->controls.front()->hwnd;
    SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), init);
    if (!modal && (t->style & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return raw;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    size_t start = 0;
    while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start]))) ++start;
    return s.substr(start);
}

std::string button_text(Dialog& d, int id, const char* fallback) {
    Control* c = d.control(id);
    std::string text = c ? display_text(c->text) : "";
    return text.empty() ? fallback : text;
}

// The button an answer names: IDOK, IDCANCEL, or 0 for none.
int parse_answer(const std::string& answer, const std::string& ok, const std::string& cancel) {
    const std::string a = lower(answer);
    if (a.empty()) return 0;
    for (const char* w : {"1", "ok", "y", "yes"})
        if (a == w) return IDOK;
    for (const char* w : {"2", "cancel", "c", "n", "no"})
        if (a == w) return IDCANCEL;
    if (a == lower(ok)) return IDOK;
    if (a == lower(cancel)) return IDCANCEL;
    return 0;
}

void press(Dialog& d, int id) {
    Control* c = d.control(id);
    SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c ? c->hwnd : nullptr));
}

}  // namespace

extern "C" {

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    Dialog* d = create_dialog(hInstance, lpTemplateName, lpDialogFunc, dwInitParam, false);
    return d ? d->hwnd : nullptr;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    Dialog* d = create_dialog(hInstance, lpTemplateName, lpDialogFunc, dwInitParam, true);
    if (!d) return -1;
    HWND hwnd = d->hwnd;
    Console& console = Console::get();
    bool prompt = true;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_show[hwnd] = ShowState::shown;
    }
    // The dialog may end (or be destroyed) from WM_INITDIALOG or any handler.
    while (find_dialog(hwnd) == d && !d->ended) {
        const std::string ok = button_text(*d, IDOK, "OK"), cancel = button_text(*d, IDCANCEL, "Cancel");
        if (prompt) {
            std::string out = "\n=== " + display_text(d->caption) + " ===\n";
            for (auto& c : d->controls)
                if (c->is_static() && !c->text.empty()) out += display_text(c->text) + "\n";
            out += "[1] " + ok + "   [2] " + cancel + "\n";
            console.write(out);
            prompt = false;
        }
        console.write("> ");
        std::string line;
        if (!console.read_line(line)) {
            if (!console.interactive()) console.write("\n");
            press(*d, IDCANCEL);
            // A procedure that refuses Cancel cannot hold the program when
            // nobody is left to answer.
            if (find_dialog(hwnd) == d && !d->ended) EndDialog(hwnd, IDCANCEL);
            break;
        }
        if (!console.interactive()) console.write(line + "\n");
        int id = parse_answer(line, ok, cancel);
        if (id == 0) {
            console.write("Please answer 1 (" + ok + ") or 2 (" + cancel + ").\n");
            continue;
        }
        press(*d, id);
        prompt = true;
    }
    INT_PTR result = -1;
    if (find_dialog(hwnd) == d) {
        result = d->result;
        DestroyWindow(hwnd);
    }
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Dialog* d = find_dialog(hDlg);
    if (!d) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    d->ended = true;
    d->result = nResult;
    if (!d->modal) ShowWindow(hDlg, SW_HIDE);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Dialog* d = find_dialog(hDlg);
    Control* c = d ? d->control(nIDDlgItem) : nullptr;
    if (!c) {
        SetLastError(d ? ERROR_CONTROL_ID_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return c->hwnd;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Control* c = find_control(hWnd);
    return c ? c->id : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextA(item, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (!item) {
        if (lpString && cchMax > 0) lpString[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : "")) != 0;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0) return 0;
    lpString[0] = 0;
    if (!IsWindow(hWnd)) return 0;
    return static_cast<int>(
        SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    return IsWindow(hWnd) ? static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    if (!IsWindow(hWnd)) return FALSE;
    ShowState next = nCmdShow == SW_HIDE                                           ? ShowState::hidden
                     : (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED) ? ShowState::minimized
                                                                                   : ShowState::shown;
    ShowState before;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        before = g_show.count(hWnd) ? g_show[hWnd] : ShowState::hidden;
        if (next == ShowState::hidden) g_show.erase(hWnd);
        else g_show[hWnd] = next;
    }
    bool was_visible = before != ShowState::hidden;
    if (was_visible != (next != ShowState::hidden))
        SendMessageA(hWnd, WM_SHOWWINDOW, next != ShowState::hidden, 0);
    return was_visible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) { return show_state(hWnd) != ShowState::hidden; }

BOOL WINAPI IsIconic(HWND hWnd) { return show_state(hWnd) == ShowState::minimized; }

}  // extern "C"

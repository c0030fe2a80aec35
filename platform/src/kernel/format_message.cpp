// FormatMessageA: the system's texts for the error codes this layer produces,
// and message strings with inserts.
#include <string>
#include <vector>

#include "pw/kernel.h"

namespace {

struct SystemText {
    DWORD code;
    const char* text;
};

// The original platform's English texts for these codes.
constexpr SystemText system_texts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_NOT_LOCKED, "The segment is already unlocked."},
    {ERROR_BAD_PATHNAME, "The specified path is invalid."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_MR_MID_NOT_FOUND,
     "The system cannot find message text for message number 0x%1 in the message file for %2."},
    {ERROR_INVALID_FLAGS, "Invalid flags."},
    {ERROR_DLL_INIT_FAILED, "A dynamic link library (DLL) initialization routine failed."},
    {ERROR_CANCELLED, "The operation was canceled by the user."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_INVALID_CURSOR_HANDLE, "Invalid cursor handle."},
    {ERROR_INVALID_ICON_HANDLE, "Invalid icon handle."},
    {ERROR_INVALID_THREAD_ID, "Invalid thread identifier."},
    {ERROR_INVALID_PRINTER_NAME, "The printer name is invalid."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The specified resource name cannot be found in the image file."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "The specified resource language ID cannot be found in the image file."},
    {ERROR_PRINTER_NOT_FOUND, "The printer driver is unknown."},
};

const char* system_text(DWORD code) {
    for (const SystemText& t : system_texts)
        if (t.code == code) return t.text;
    return nullptr;
}

bool language_available(DWORD lang) {
    if (lang == 0 || lang == MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) ||
        lang == MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT))
        return true;
    return PRIMARYLANGID(lang) == LANG_ENGLISH;
}

// Expands inserts and escapes. False when an insert has no argument or asks
// for a format other than the default string one.
bool expand(const char* src, bool ignore_inserts, bool array_args, va_list* args, std::string& out) {
    // With an argument array the pointer given as va_list* is the array itself.
    const char* const* array = array_args && args ? reinterpret_cast<const char* const*>(args) : nullptr;
    std::vector<const char*> taken;  // va_list arguments, read in order once
    for (const char* p = src; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        char c = *++p;
        if (c == '\0') break;
        if (ignore_inserts && c >= '1' && c <= '9') {
            out += '%';
            out += c;
            while (p[1] >= '0' && p[1] <= '9') out += *++p;
            continue;
        }
        switch (c) {
            case '0': return true;
            case 'n': out += "\r\n"; continue;
            case 'r': out += '\r'; continue;
            case 't': out += '\t'; continue;
            case '%': case '.': case '!': case ' ': out += c; continue;
            default: break;
        }
        if (c < '1' || c > '9') {
            out += '%';
            out += c;
            continue;
        }
        int n = c - '0';
        if (p[1] >= '0' && p[1] <= '9') n = n * 10 + (*++p - '0');
        if (p[1] == '!') {
            const char* end = std::strchr(p + 2, '!');
            if (!end || std::string(p + 2, end) != "s") return false;
            p = end;
        }
        const char* arg = nullptr;
        if (array) {
            arg = array[n - 1];
        } else if (args) {
            while (static_cast<int>(taken.size()) < n) taken.push_back(va_arg(*args, const char*));
            arg = taken[n - 1];
        } else {
            return false;
        }
        out += arg ? arg : "(null)";
    }
    return true;
}

}  // namespace

extern "C" DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD id, DWORD lang, LPSTR buffer, DWORD size,
                                       va_list* args) {
    const char* text = nullptr;
    if (flags & FORMAT_MESSAGE_FROM_STRING) {
        text = static_cast<const char*>(source);
    } else if (flags & FORMAT_MESSAGE_FROM_SYSTEM) {
        if (!language_available(lang)) {
            SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
            return 0;
        }
        text = system_text(id);
        if (!text) {
            SetLastError(ERROR_MR_MID_NOT_FOUND);
            return 0;
        }
    } else {
        // Message tables of modules are not part of our resources.
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return 0;
    }
    if (!text || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string out;
    if (!expand(text, flags & FORMAT_MESSAGE_IGNORE_INSERTS, flags & FORMAT_MESSAGE_ARGUMENT_ARRAY, args, out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) && !(flags & FORMAT_MESSAGE_FROM_STRING)) out += "\r\n";

    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        size_t bytes = out.size() + 1 > size ? out.size() + 1 : size;
        char* p = static_cast<char*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, bytes));
        if (!p) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::memcpy(p, out.c_str(), out.size() + 1);
        *reinterpret_cast<char**>(buffer) = p;
        return static_cast<DWORD>(out.size());
    }
    if (out.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<DWORD>(out.size());
}

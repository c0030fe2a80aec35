// Last error, strings, time and thread ids.
#include <strings.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>

#include "pw/kernel.h"

namespace {
thread_local DWORD last_error = 0;

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }
}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return sign(std::strcmp(a ? a : "", b ? b : "")); }
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return sign(strcasecmp(a ? a : "", b ? b : "")); }
int WINAPI lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max) {
    if (!dst || max <= 0) return dst;
    int i = 0;
    if (src)
        for (; i < max - 1 && src[i]; ++i) dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
    if (!dst) return nullptr;
    return std::strcpy(dst, src ? src : "");
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
    if (!dst) return nullptr;
    return std::strcat(dst, src ? src : "");
}

int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const long long p = static_cast<long long>(number) * numerator;
    long long q = p / denominator;
    const long long r = p % denominator;
    // Rounded half away from zero, as the original does.
    if (2 * (r < 0 ? -r : r) >= (denominator < 0 ? -static_cast<long long>(denominator) : denominator))
        q += ((p < 0) != (denominator < 0)) ? -1 : 1;
    if (q > INT_MAX || q < INT_MIN) return -1;
    return static_cast<int>(q);
}

void WINAPI Sleep(DWORD ms) {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}

DWORD WINAPI GetTickCount(void) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }
DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

}  // extern "C"

#include "diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int dest_trace(const char* format, ...) {
    char line[200];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) line[0] = '\0';
    size_t len = strlen(line);
    // The line feed goes in only while the line stays within 199 characters.
    if (len < sizeof line - 1) {
        line[len] = '\n';
        line[len + 1] = '\0';
    }
    return err.log(0, "Destination", 0, 9, 2, 2, 4, "%s", line);
}

#include "dialog/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace pw::dlg {

Console& Console::get() {
    static Console console;
    return console;
}

Console::Console() {
    if (isatty(0)) {
        int fd = open("/dev/tty", O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            in_ = out_ = fd;
            interactive_ = true;
        }
    }
}

void Console::write(std::string_view text) {
    std::fflush(stdout);
    while (!text.empty()) {
        ssize_t n = ::write(out_, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // nobody listens; the dialog still works
        text.remove_prefix(static_cast<size_t>(n));
    }
}

bool Console::read_line(std::string& line) {
    line.clear();
    for (;;) {
        char c;
        ssize_t n = ::read(in_, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return !line.empty();
        if (c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::string display_text(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') out += '&', ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace pw::dlg

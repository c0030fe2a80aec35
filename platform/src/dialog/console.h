// Where dialogs meet the user: the terminal, or standard input and output.
//
// A person is at a terminal when standard input is one and /dev/tty opens: the
// dialogs then write to and read from /dev/tty. Otherwise (input redirected, as
// in scripts and tests) they write to standard output and read answers from
// standard input, one line each, so a caller can script them. Reads take one
// byte at a time, so nothing beyond the answer's line is consumed.
#pragma once

#include <string>
#include <string_view>

namespace pw::dlg {

class Console {
public:
    // The process-wide console, opened at first use.
    static Console& get();

    bool interactive() const { return interactive_; }
    // Writes text at once (standard output is flushed first, so that the order of
    // the program's own output is kept).
    void write(std::string_view text);
    // One line without its end; false at end of input.
    bool read_line(std::string& line);

private:
    Console();
    int in_ = 0;
    int out_ = 1;
    bool interactive_ = false;
};

// A control or caption text as a person reads it: "&" marks a mnemonic and is
// dropped, "&&" stands for "&".
std::string display_text(std::string_view text);

}  // namespace pw::dlg

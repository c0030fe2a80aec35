// The PDF file syntax for the PDF printer: numbered objects written one after the
// other as they are made, streams with their length known before their data, and
// at the end the cross-reference table and trailer. Nothing of a page is kept
// once written, so an image costs memory only while it is being compressed.
//
// Numbers are written by std::to_chars, never through the C locale, so a
// document is the same bytes under every locale.
//
// Ownership: the writer writes to a FILE* that stays the caller's. Write errors
// are remembered; ok() says whether every byte went out.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "print/pdf_flate.h"

namespace pw::print {

// Appends a number: integers as such, others with at most 4 decimals.
void pdf_number(std::string* out, double value);
// A PDF text string: a literal string for printable ASCII, else UTF-16BE in hex
// (from UTF-8; bytes that are not UTF-8 become U+FFFD).
std::string pdf_text_string(const std::string& utf8);

class PdfWriter {
public:
    explicit PdfWriter(FILE* out);

    // A new object number, to be written later (or referred to before it is written).
    int reserve();
    // Writes object `number` with `body` (a dictionary, array or other value).
    void object(int number, const std::string& body);
    // Writes object `number` as a stream: `dict` holds the dictionary's entries
    // without << >> and without /Length, which is added.
    void stream(int number, const std::string& dict, const FlateStream& data);
    // Writes the cross-reference table and the trailer naming `root` and `info`.
    void finish(int root, int info);

    bool ok() const { return ok_; }
    // The errno of the first write that failed (0 when none did, or when the
    // failure was not a write: a numbering mistake).
    int write_errno() const { return write_errno_; }

private:
    void put(const std::string& s);
    void start(int number);

    FILE* out_;
    long offset_ = 0;
    bool ok_ = true;
    int write_errno_ = 0;
    std::vector<long> offsets_;  // by object number - 1; -1 while not written
};

}  // namespace pw::print

#include "print/pdf_writer.h"

#include <cerrno>
#include <charconv>
#include <cmath>

namespace pw::print {

void pdf_number(std::string* out, double value) {
    char buf[48];
    if (!std::isfinite(value)) value = 0;
    const double rounded = std::round(value);
    std::to_chars_result r;
    if (std::fabs(value - rounded) < 1e-9 && std::fabs(rounded) < 1e15) {
        r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(rounded));
    } else {
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
        // PDF readers want no exponent and are happier without trailing zeros.
        char* end = r.ptr;
        while (end > buf && end[-1] == '0') --end;
        if (end > buf && end[-1] == '.') --end;
        r.ptr = end;
        if (r.ptr - buf == 2 && buf[0] == '-' && buf[1] == '0') r.ptr = buf + 1, buf[0] = '0';
    }
    out->append(buf, r.ptr);
}

namespace {

// Decodes one UTF-8 sequence at s[i]; advances i. Invalid bytes give U+FFFD.
char32_t next_code_point(const std::string& s, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i++]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) >> 6) != 2) return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    return cp;
}

void hex16(std::string* out, unsigned v) {
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out->push_back(digits[(v >> shift) & 0xF]);
}

}  // namespace

std::string pdf_text_string(const std::string& utf8) {
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c >= 0x20 && c < 0x7F;
    if (ascii) {
        std::string s = "(";
        for (char c : utf8) {
            if (c == '(' || c == ')' || c == '\\') s.push_back('\\');
            s.push_back(c);
        }
        return s + ")";
    }
    std::string s = "<FEFF";
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = next_code_point(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            hex16(&s, 0xD800 + static_cast<unsigned>(cp >> 10));
            hex16(&s, 0xDC00 + static_cast<unsigned>(cp & 0x3FF));
        } else {
            hex16(&s, static_cast<unsigned>(cp));
        }
    }
    return s + ">";
}

PdfWriter::PdfWriter(FILE* out) : out_(out) {
    // The binary comment tells transfer programs that the file is not text.
    put("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n");
}

int PdfWriter::reserve() {
    offsets_.push_back(-1);
    return static_cast<int>(offsets_.size());
}

void PdfWriter::put(const std::string& s) {
    if (!ok_) return;
    if (std::fwrite(s.data(), 1, s.size(), out_) != s.size()) {
        ok_ = false;
        write_errno_ = errno;
    }
    offset_ += static_cast<long>(s.size());
}

void PdfWriter::start(int number) {
    if (number < 1 || number > static_cast<int>(offsets_.size()) || offsets_[number - 1] >= 0) {
        ok_ = false;  // a numbering mistake would make a broken file: fail instead
        return;
    }
    offsets_[number - 1] = offset_;
    put(std::to_string(number) + " 0 obj\n");
}

void PdfWriter::object(int number, const std::string& body) {
    start(number);
    put(body);
    put("\nendobj\n");
}

void PdfWriter::stream(int number, const std::string& dict, const FlateStream& data) {
    start(number);
    put("<<" + dict + " /Length " + std::to_string(data.size()) + ">>\nstream\n");
    for (const std::string& part : data.parts) put(part);
    put("\nendstream\nendobj\n");
}

void PdfWriter::finish(int root, int info) {
    const long xref = offset_;
    std::string table = "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
    char line[32];
    for (long at : offsets_) {
        if (at < 0) ok_ = false;  // every reserved object must have been written
        std::snprintf(line, sizeof line, "%010ld 00000 n \n", at < 0 ? 0L : at);
        table += line;
    }
    put(table);
    put("trailer\n<</Size " + std::to_string(offsets_.size() + 1) + " /Root " + std::to_string(root) +
        " 0 R /Info " + std::to_string(info) + " 0 R>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
    if (std::fflush(out_) != 0 && ok_) {
        ok_ = false;
        write_errno_ = errno;
    }
}

}  // namespace pw::print

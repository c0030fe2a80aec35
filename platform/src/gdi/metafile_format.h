// The Windows metafile byte format: writing records and checking the bounds
// of every record of untrusted bytes before anything is played.
//
// A metafile is a METAHEADER (18 bytes) followed by records. Each record is a
// 32-bit size in 16-bit words (the 6-byte record header included), a 16-bit
// function number and its parameters, all little-endian. A META_EOF record
// (size 3, function 0) ends it. Files may start with a 22-byte "placeable"
// header (key 0x9AC6CDD7) that other programs write; it is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pw::gdi {

class MetaWriter {
public:
    MetaWriter();
    void begin(uint16_t function);
    void word(int v) { put16(static_cast<uint16_t>(v)); }
    void dword(uint32_t v) {
        put16(static_cast<uint16_t>(v));
        put16(static_cast<uint16_t>(v >> 16));
    }
    void bytes(const void* data, size_t n);
    void end();
    // Appends the end record and fills in the header; returns the bytes.
    std::vector<uint8_t> finish(uint16_t objects);

private:
    void put16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    std::vector<uint8_t> bytes_;
    size_t record_start_ = 0;
    uint32_t max_record_ = 0;
};

struct MetaRecord {
    uint16_t function;
    const uint8_t* params; // the parameter bytes
    size_t size;           // bytes of parameters
    uint16_t word(size_t i) const {
        return i * 2 + 1 < size ? static_cast<uint16_t>(params[2 * i] | params[2 * i + 1] << 8) : 0;
    }
    int16_t sword(size_t i) const { return static_cast<int16_t>(word(i)); }
    size_t words() const { return size / 2; }
};

// Splits `bytes` into records, checking the header and that every record lies
// inside the bytes. Returns false (with a reason) for anything malformed.
bool scan_metafile(const uint8_t* bytes, size_t size, std::vector<MetaRecord>* records,
                   std::string* why = nullptr);

} // namespace pw::gdi

#include "gdi/metafile_format.h"

#include <cstring>

namespace pw::gdi {
namespace {

constexpr size_t kHeaderBytes = 18;
constexpr size_t kPlaceableBytes = 22;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

uint16_t rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t rd32(const uint8_t* p) { return rd16(p) | static_cast<uint32_t>(rd16(p + 2)) << 16; }

bool fail(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}

} // namespace

MetaWriter::MetaWriter() : bytes_(kHeaderBytes, 0) {}

void MetaWriter::begin(uint16_t function) {
    record_start_ = bytes_.size();
    dword(0); // size, patched by end()
    put16(function);
}

void MetaWriter::bytes(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
    if (n % 2) bytes_.push_back(0); // records are whole words
}

void MetaWriter::end() {
    const uint32_t words = static_cast<uint32_t>((bytes_.size() - record_start_) / 2);
    uint8_t* p = bytes_.data() + record_start_;
    p[0] = static_cast<uint8_t>(words);
    p[1] = static_cast<uint8_t>(words >> 8);
    p[2] = static_cast<uint8_t>(words >> 16);
    p[3] = static_cast<uint8_t>(words >> 24);
    if (words > max_record_) max_record_ = words;
}

std::vector<uint8_t> MetaWriter::finish(uint16_t objects) {
    begin(0);
    end();
    const uint32_t total_words = static_cast<uint32_t>(bytes_.size() / 2);
    uint8_t h[kHeaderBytes] = {};
    auto w16 = [&](size_t at, uint16_t v) {
        h[at] = static_cast<uint8_t>(v);
        h[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    w16(0, 1);      // mtType: memory metafile
    w16(2, 9);      // mtHeaderSize in words
    w16(4, 0x300);  // mtVersion
    w16(6, static_cast<uint16_t>(total_words));
    w16(8, static_cast<uint16_t>(total_words >> 16));
    w16(10, objects);
    w16(12, static_cast<uint16_t>(max_record_));
    w16(14, static_cast<uint16_t>(max_record_ >> 16));
    w16(16, 0);     // mtNoParameters
    std::memcpy(bytes_.data(), h, kHeaderBytes);
    return std::move(bytes_);
}

bool scan_metafile(const uint8_t* bytes, size_t size, std::vector<MetaRecord>* records,
                   std::string* why) {
    records->clear();
    if (!bytes) return fail(why, "no bytes");
    size_t at = 0;
    if (size >= 4 && rd32(bytes) == kPlaceableKey) at = kPlaceableBytes;
    if (size < at + kHeaderBytes) return fail(why, "shorter than a metafile header");
    const uint8_t* h = bytes + at;
    const uint16_t type = rd16(h), header_words = rd16(h + 2), version = rd16(h + 4);
    if (type != 1 && type != 2) return fail(why, "bad metafile type");
    if (header_words != 9) return fail(why, "bad header size");
    if (version != 0x100 && version != 0x300) return fail(why, "bad metafile version");
    at += kHeaderBytes;
    while (at < size) {
        if (size - at < 6) return fail(why, "truncated record header");
        const uint32_t words = rd32(bytes + at);
        const uint16_t function = rd16(bytes + at + 4);
        if (words < 3) return fail(why, "record smaller than its header");
        if (static_cast<uint64_t>(words) * 2 > size - at) return fail(why, "record runs past the end");
        const size_t record_bytes = static_cast<size_t>(words) * 2;
        if (function == 0) return true; // META_EOF
        records->push_back(MetaRecord{function, bytes + at + 6, record_bytes - 6});
        at += record_bytes;
    }
    // Some writers leave out the end record; a clean record boundary is enough.
    return true;
}

} // namespace pw::gdi

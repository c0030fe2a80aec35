#include "print/pdf_flate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "print/run_deflate.h"

namespace pw::print {
namespace {

// Raw bytes a chunk covers: large enough that the per-chunk costs (a buffer, a
// sync flush of 5 bytes, one extra row made for the predictor) vanish,
// small enough that two cores share even a small image.
constexpr size_t kChunkBytes = 512 * 1024;

int worker_threads() {
    const unsigned n = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(n, 1u, 8u));
}

// Compresses rows [y0, y1) with the Up predictor into raw deflate data, ending
// with a sync flush, or with the stream's end when `last`. `adler` receives the
// Adler-32 of the predicted bytes.
bool deflate_chunk(int y0, int y1, size_t row_bytes, const RowMaker& make_row, bool last, std::string* out,
                   uLong* adler) {
    std::vector<uint8_t> above(row_bytes, 0), row(row_bytes);
    std::vector<uint8_t> tagged((row_bytes + 1) * static_cast<size_t>(y1 - y0));
    if (y0 > 0) make_row(y0 - 1, above.data());
    uint8_t* t = tagged.data();
    for (int y = y0; y < y1; ++y, t += row_bytes + 1) {
        make_row(y, row.data());
        t[0] = 2;  // PNG filter type Up
        for (size_t i = 0; i < row_bytes; ++i) t[1 + i] = static_cast<uint8_t>(row[i] - above[i]);
        row.swap(above);
    }
    // libdeflate's Adler-32 is vectorised, several times zlib's; the chunks'
    // sums are joined with zlib's adler32_combine.
    *adler = libdeflate_adler32(1, tagged.data(), tagged.size());
    out->clear();
    out->reserve(tagged.size() / 2);
    run_deflate(tagged.data(), tagged.size(), last, out);
    return true;
}

void put_be32(std::string* s, uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    s->append(b, 4);
}

}  // namespace

bool deflate_rows_up(int rows, size_t row_bytes, const RowMaker& make_row, const std::function<bool()>& keep_going,
                     FlateStream* out) {
    out->parts.clear();
    if (rows <= 0 || row_bytes == 0) return false;
    const int chunk_rows = static_cast<int>(std::max<size_t>(1, kChunkBytes / (row_bytes + 1)));
    const int chunks = (rows + chunk_rows - 1) / chunk_rows;
    std::vector<std::string> data(static_cast<size_t>(chunks));
    std::vector<uLong> adlers(static_cast<size_t>(chunks));
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};

    auto work = [&](bool caller) {
        for (;;) {
            if (stop.load()) return;
            if (caller && keep_going && !keep_going()) {
                stop = true;
                return;
            }
            const int k = next.fetch_add(1);
            if (k >= chunks) return;
            const int y0 = k * chunk_rows, y1 = std::min(rows, y0 + chunk_rows);
            bool ok = false;
            try {
                ok = deflate_chunk(y0, y1, row_bytes, make_row, k + 1 == chunks, &data[static_cast<size_t>(k)],
                                   &adlers[static_cast<size_t>(k)]);
            } catch (const std::exception&) {
                ok = false;
            }
            if (!ok) stop = true;
        }
    };
    std::vector<std::thread> helpers;
    const int threads = std::min(worker_threads(), chunks);
    try {
        for (int i = 1; i < threads; ++i) helpers.emplace_back(work, false);
    } catch (const std::exception&) {
        // Fewer helpers than cores: the caller does the rest.
    }
    work(true);
    for (std::thread& t : helpers) t.join();
    if (stop.load()) return false;

    uLong adler = adler32(0, nullptr, 0);
    for (int k = 0; k < chunks; ++k) {
        const int y0 = k * chunk_rows, y1 = std::min(rows, y0 + chunk_rows);
        const z_off_t length = static_cast<z_off_t>((row_bytes + 1) * static_cast<size_t>(y1 - y0));
        adler = adler32_combine(adler, adlers[static_cast<size_t>(k)], length);
    }
    std::string head("\x78\x01", 2), tail;
    put_be32(&tail, static_cast<uint32_t>(adler));
    out->parts.reserve(data.size() + 2);
    out->parts.push_back(std::move(head));
    for (std::string& d : data) out->parts.push_back(std::move(d));
    out->parts.push_back(std::move(tail));
    return true;
}

bool deflate_bytes(const std::string& data, FlateStream* out) {
    out->parts.clear();
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string z(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    z.resize(size);
    out->parts.push_back(std::move(z));
    return true;
}

}  // namespace pw::print

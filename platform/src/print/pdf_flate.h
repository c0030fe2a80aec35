// Flate (zlib) streams for the PDF printer, compressed on every core.
//
// Images are compressed with the PNG "Up" predictor (each row minus the row above,
// a tag byte before every row; PDF's /Predictor 12) and our own literal-and-run
// deflate encoder (run_deflate.h): on scans, whose fine sensor noise defeats long
// matches, that is as small as zlib's run-length or Huffman-only strategies at
// about three times their speed, and on clean synthetic pages the runs still
// collapse. The rows are cut into chunks of a fixed
// number of rows; each chunk is compressed on its own (raw deflate ending in a
// sync flush) by whichever thread is free, and the chunks are joined into one
// zlib stream with a combined Adler-32, as pigz does. Chunk boundaries depend on
// the rows only, never on the number of threads, so the same rows always give the
// same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pw::print {

// A finished zlib stream, kept in the pieces it was made in (written in order).
struct FlateStream {
    std::vector<std::string> parts;
    size_t size() const {
        size_t n = 0;
        for (const std::string& p : parts) n += p.size();
        return n;
    }
};

// Writes row `y` (0 = first row of the image) into `out`, which holds the
// row's bytes. Called from several threads at once, for different rows.
using RowMaker = std::function<void(int y, uint8_t* out)>;

// Compresses `rows` rows of `row_bytes` bytes each with the Up predictor.
// `keep_going` is asked on the calling thread between chunks; when it answers
// false the work stops and the result is false (so is it when memory is short).
bool deflate_rows_up(int rows, size_t row_bytes, const RowMaker& make_row, const std::function<bool()>& keep_going,
                     FlateStream* out);

// Compresses bytes as they are (content streams), on the calling thread.
bool deflate_bytes(const std::string& data, FlateStream* out);

}  // namespace pw::print

// Produces the rows of a window of a decoded page at another size, top row first,
// pulling from the decoder only the source rows the next output row needs.
//
// Memory: one source row, and a ring of as many horizontally resampled rows as one
// output row draws on (2 when enlarging, about the shrink factor + 1 when
// shrinking). Never a copy of the page.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "decode/image.h"
#include "store/axis_kernel.h"

namespace lucentra {

// A rectangle of the source page, in source pixels (may be fractional).
struct SourceWindow {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Colour sources become gray before resampling when the output is gray:
// luminance with the Rec. 601 weights (77 R + 150 G + 29 B) / 256.
inline uint8_t luminance(const uint8_t* rgb) {
    return (uint8_t)((77u * rgb[0] + 150u * rgb[1] + 29u * rgb[2] + 128u) >> 8);
}

class Resampler {
public:
    // `source` delivers rows of `page` (canonical form, page.channels a pixel).
    // `channels` is what the output rows carry: 1, or page.channels. The output
    // has out_width x out_height pixels covering `window`. Takes the reader.
    Resampler(std::unique_ptr<RowReader> source, const PageInfo& page, int channels, const SourceWindow& window,
              int out_width, int out_height);

    int width() const { return out_width_; }
    int height() const { return out_height_; }
    int channels() const { return channels_; }
    int rows_done() const { return done_; }

    // Writes the next output row (width() x channels() bytes). Throws DecodeError
    // from the decoder, or when every row was produced.
    void next(uint8_t* out);

private:
    // Reads the next source row and converts it to the working channels.
    const uint8_t* read_source();
    void horizontal(const uint8_t* in, float* out) const;

    std::unique_ptr<RowReader> source_;
    int source_width_, source_height_, source_channels_;
    int channels_;
    int out_width_, out_height_;
    AxisKernel kx_, ky_;
    std::vector<uint8_t> raw_, work_;
    std::vector<std::vector<float>> ring_;
    std::vector<float> sum_;
    int loaded_ = 0;  // source rows consumed so far
    int done_ = 0;    // output rows produced so far
};

}  // namespace lucentra

// A fast raw deflate encoder (RFC 1951) for predicted image rows.
//
// Scans after the PNG Up predictor are small differences spread by sensor noise:
// long string matches are rare, so what pays is entropy coding the bytes, plus
// runs for the flat areas (paper white, solid strokes). This encoder does
// exactly that and nothing more: each byte is a literal, or starts a run of the
// byte before it (a match at distance 1, 4 to 258 bytes long), coded with
// dynamic Huffman tables made for every block of tokens. It gives about the
// size of zlib's Huffman-only and run-length strategies at several times their
// speed; blocks that would come out larger than they are go out stored.
//
// The output ends like zlib's Z_SYNC_FLUSH (an empty stored block, on a byte
// boundary) unless `last`, when the final block is marked final; so pieces
// made independently join into one deflate stream, as pigz joins them. A piece
// never refers to bytes before its own start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pw::print {

// Appends the raw deflate data of `size` bytes at `data` to `out`. Throws
// std::bad_alloc when memory is short; nothing else can fail.
void run_deflate(const uint8_t* data, size_t size, bool last, std::string* out);

}  // namespace pw::print

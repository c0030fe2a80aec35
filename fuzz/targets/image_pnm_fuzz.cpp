// Fuzz target: PNM files through lucentra's decoder (headers, limits, every row).
#include "decode/pnm_decoder.h"
#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return pw_fuzz::fuzz_image(data, size, &lucentra::open_pnm);
}

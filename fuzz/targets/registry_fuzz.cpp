// Fuzz target: the registry file parser. Whatever the bytes, parsing must not
// fail, and what it kept must survive a save and a reload unchanged, so a
// damaged file never turns into a different one on the next write.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "registry/hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pw::reg::Hive hive("HKEY_CURRENT_USER");
    hive.parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string saved = hive.serialize();

    pw::reg::Hive again("HKEY_CURRENT_USER");
    const size_t damaged = again.parse(saved);
    if (damaged != 0 || again.serialize() != saved) {
        fprintf(stderr, "fuzz finding: a saved hive does not read back the same (%zu damaged lines)\n", damaged);
        abort();
    }
    return 0;
}

// KARVEL.INI, then LAVOK.INI after the first NUL byte.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    karvel::fuzz::fuzzSettings(data, size);
    return 0;
}

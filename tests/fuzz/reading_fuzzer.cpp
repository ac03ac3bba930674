// The loan desk of a demo school: each input is a flags byte then a few
// readings separated by line feeds (see fuzz_targets.h).
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    karvel::fuzz::fuzzReadings(data, size);
    return 0;
}

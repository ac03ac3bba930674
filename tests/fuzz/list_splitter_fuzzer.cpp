// The list and series fields of the label and card windows: a decoding byte
// (odd for Latin-1), then the text.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    karvel::fuzz::fuzzListSplitter(data, size);
    return 0;
}

// libFuzzer entry point: the optional reader.
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    return fuzz::runOptional(pData, iSize);
}

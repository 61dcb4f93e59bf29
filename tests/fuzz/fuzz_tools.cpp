// libFuzzer entry point: the tools reader.
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    return fuzz::runTools(pData, iSize);
}

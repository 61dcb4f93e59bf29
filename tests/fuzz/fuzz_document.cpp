// libFuzzer entry point: the document reader.
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    return fuzz::runDocument(pData, iSize);
}

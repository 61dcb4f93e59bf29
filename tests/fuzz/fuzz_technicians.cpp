// libFuzzer entry point: the technicians reader.
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    return fuzz::runTechnicians(pData, iSize);
}

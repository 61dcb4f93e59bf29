// libFuzzer entry point: the workdir reader.
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
    return fuzz::runWorkDir(pData, iSize);
}

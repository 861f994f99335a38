// The lister's walk of rar archives over any bytes.
#include "lister_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) { return FuzzLister(Data, Size, ".rar"); }

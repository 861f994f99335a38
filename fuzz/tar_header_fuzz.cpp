// libFuzzer target: every 512-byte block of the input as a tar header, and what follows
// it as pax records.
#include <string>

#include "archive/core/tar_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  for (size_t P = 0; P + 512 <= Size; P += 512) {
    TTarHeader H;
    ParseTarHeader(Data + P, H);
    std::string Rest(reinterpret_cast<const char*>(Data + P + 512), Size - P - 512);
    std::string Name;
    int64_t Sz = -1;
    uint32_t T = 0;
    ApplyPaxRecords(Rest, &Name, &Sz, &T);
  }
  return 0;
}

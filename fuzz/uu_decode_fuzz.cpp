// libFuzzer target: the UU/XX decoder over a whole encoded file, output to a memory
// stream. The input is written to a temporary ".uue" file (the decoder reads files).
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/core/arc_file.h"
#include "archive/core/uu_code.h"
#include "classlib/core/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string Name = TempDirectory() + "zx_uu_decode_fuzz.uue";
  {
    TFileStream F(Name, fmCreate);
    if (Size) F.WriteBuffer(Data, int64_t(Size));
  }
  TUUDecode D(nullptr);
  try {
    D.SetArchiveFile(Name);
    TMemoryStream M;
    D.ExtractToStream("*.*", &M);
  } catch (const Exception&) {
  }
  return 0;
}

// libFuzzer target: a GIF file read, every frame decoded into a bitmap file, then written
// back and read again.
#include <cstddef>
#include <cstdint>

#include "ui/core/gif_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  for (bool Accept : {false, true}) {
    TGIFFileData File;
    try {
      GIFReadFile(Data, Size, File, Accept);
    } catch (const Exception&) {
      continue;
    }
    for (TGIFFrameData& F : File.Frames) {
      if (int64_t(F.Width) * F.Height > (1 << 20)) continue;  // keep each run short
      try {
        std::vector<uint8_t> Pixels = GIFDecodeFrame(F, Accept);
        GIFFrameToBmp(F, Pixels);
      } catch (const EGIFError&) {
      }
    }
    if (File.Frames.empty()) continue;
    std::vector<uint8_t> Out = GIFWriteFile(File);
    TGIFFileData Again;
    GIFReadFile(Out.data(), Out.size(), Again, Accept);
    if (Again.Frames.size() != File.Frames.size()) __builtin_trap();
  }
  return 0;
}

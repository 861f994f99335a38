// libFuzzer target: the LHA, ZOO, ARJ and ARC readers over a whole archive file, output
// to a memory stream. The archive is written to a temporary file (the readers read files).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/core/arc_file.h"
#include "archive/core/un_arc.h"
#include "archive/core/un_arj.h"
#include "archive/core/un_lha.h"
#include "archive/core/un_zoo.h"
#include "classlib/core/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string Name = TempDirectory() + "zx_old_readers_fuzz.bin";
  {
    TFileStream F(Name, fmCreate);
    if (Size) F.WriteBuffer(Data, int64_t(Size));
  }
  TUnLHA Lha(nullptr);
  TUnZOO Zoo(nullptr);
  TUnARJ Arj(nullptr);
  TUnARC Arc(nullptr);
  for (TUnBase* R : {static_cast<TUnBase*>(&Lha), static_cast<TUnBase*>(&Zoo), static_cast<TUnBase*>(&Arj),
                     static_cast<TUnBase*>(&Arc)}) {
    try {
      R->SetArchiveFile(Name);
      TMemoryStream M;
      // A stream takes one entry: the last byte says how many to pass over first (not the
      // first, which is the archive's own signature; archives mostly end in a zero).
      int Skip = Size ? Data[Size - 1] % 4 : 0;
      R->OnBegin = [&Skip](TObject*, const std::string&, int, bool& Extract) { Extract = Skip-- <= 0; };
      R->ExtractToStream("*.*", &M);
    } catch (const Exception&) {
    }
  }
  return 0;
}

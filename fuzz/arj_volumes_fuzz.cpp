// The ARJ reader over a two-volume set of any bytes, with OnNextVolume bound: the first
// four bytes give the first volume's length, the rest is the second volume. Every volume
// asked for is the other one, four times at most. Output goes to a memory stream; the
// process's current folder must stay where it is.
#include <cstdlib>

#include "archive/core/un_arj.h"
#include "classlib/core/stream.h"
#include "lister_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFolder folder;
  if (Size < 4) return 0;
  const size_t First = std::min<size_t>(Data[0] | (Data[1] << 8) | (Data[2] << 16) | (size_t(Data[3]) << 24), Size - 4);
  const std::string Paths[2] = {folder.Put("set.arj", Data + 4, First),
                                folder.Put("set.a01", Data + 4 + First, Size - 4 - First)};
  const std::string Cwd = GetCurrentDir();
  TUnARJ R(nullptr);
  size_t sum = 0;
  int Asked = 0;
  R.OnNextVolume = [&](TObject*, std::string&, std::string& FN, const std::string& VolumeID, bool, bool& Cancel) {
    sum += VolumeID.size();
    if (++Asked > 4) {
      Cancel = true;
      return;
    }
    FN = Paths[Asked % 2];
  };
  R.OnError = [&](TObject*, const std::string& FN, const std::string&, const std::string&, int) { sum += FN.size(); };
  R.OnEnd = [&](TObject*, const std::string& FN, bool Pass) { sum += FN.size() + Pass; };
  // A stream takes one entry: the last byte says how many to pass over first.
  int Skip = Data[Size - 1] % 4;
  R.OnBegin = [&Skip](TObject*, const std::string&, int, bool& Extract) { Extract = Skip-- <= 0; };
  R.SetArchiveFile(Paths[0]);
  TMemoryStream M;
  R.ExtractToStream("*.*", &M);
  if (GetCurrentDir() != Cwd) std::abort();
  return sum == size_t(-1);
}

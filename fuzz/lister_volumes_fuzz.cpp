// The lister's walk of volume sets (ARJ, RAR, cabinets) over any bytes, with OnNextVolume
// bound: the first byte picks the kind, the next four give the first volume's length, the
// rest is the second volume. Every volume asked for is the other one, four times at most.
#include <cstdlib>

#include "lister_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFolder folder;
  if (Size < 5) return 0;
  static const char* const Names[3][2] = {{"set.arj", "set.a01"}, {"set.rar", "set.r00"}, {"set.cab", "set2.cab"}};
  const char* const* N = Names[Data[0] % 3];
  const size_t First = std::min<size_t>(Data[1] | (Data[2] << 8) | (Data[3] << 16) | (size_t(Data[4]) << 24), Size - 5);
  const std::string Paths[2] = {folder.Put(N[0], Data + 5, First), folder.Put(N[1], Data + 5 + First, Size - 5 - First)};
  TTravik t(nullptr);
  size_t sum = 0;
  BindListerEvents(t, sum);
  int Asked = 0;
  t.OnNextVolume = [&](TObject*, std::string&, std::string& FN, const std::string& VolumeID, bool, bool& Cancel) {
    sum += VolumeID.size();
    if (++Asked > 4) {
      Cancel = true;
      return;
    }
    FN = Paths[Asked % 2];
  };
  t.SetShowBlankDirs(Size % 2 == 0);
  t.SetArchiveFile(Paths[0]);
  // Asking for a volume never moves the process's current folder.
  const std::string Cwd = GetCurrentDir();
  t.Activate();
  if (GetCurrentDir() != Cwd) std::abort();
  return sum == size_t(-1);
}

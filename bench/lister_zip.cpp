// Listing a ZIP of 20,000 entries: TTravik against `unzip -l` on the same file (the
// program users would run otherwise; its output goes to /dev/null). Each run of
// unzip includes its process start, as it does for a user.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/core/arc_file.h"
#include "archive/core/travik.h"

namespace {

constexpr int Entries = 20000;

void Put16(std::vector<uint8_t>& V, unsigned X) {
  V.push_back(uint8_t(X));
  V.push_back(uint8_t(X >> 8));
}
void Put32(std::vector<uint8_t>& V, uint32_t X) {
  Put16(V, X & 0xFFFF);
  Put16(V, X >> 16);
}

// A ZIP of Entries small stored files in 100 folders, made once per process.
const std::string& BenchZip() {
  static const std::string name = [] {
    std::vector<uint8_t> z, cd;
    const std::string data = "listing benchmark\n";
    for (int i = 0; i < Entries; ++i) {
      char n[64];
      snprintf(n, sizeof n, "folder%03d/file_number_%05d.txt", i % 100, i);
      const std::string nm = n;
      const uint32_t at = uint32_t(z.size());
      Put32(z, 0x04034B50), Put16(z, 10), Put16(z, 0), Put16(z, 0), Put32(z, 0x2A430000), Put32(z, 0x12345678);
      Put32(z, uint32_t(data.size())), Put32(z, uint32_t(data.size())), Put16(z, unsigned(nm.size())), Put16(z, 0);
      z.insert(z.end(), nm.begin(), nm.end());
      z.insert(z.end(), data.begin(), data.end());
      Put32(cd, 0x02014B50), Put16(cd, 20), Put16(cd, 10), Put16(cd, 0), Put16(cd, 0), Put32(cd, 0x2A430000);
      Put32(cd, 0x12345678), Put32(cd, uint32_t(data.size())), Put32(cd, uint32_t(data.size()));
      Put16(cd, unsigned(nm.size())), Put16(cd, 0), Put16(cd, 0), Put16(cd, 0), Put16(cd, 0), Put32(cd, 0x20);
      Put32(cd, at);
      cd.insert(cd.end(), nm.begin(), nm.end());
    }
    const uint32_t cdAt = uint32_t(z.size());
    z.insert(z.end(), cd.begin(), cd.end());
    Put32(z, 0x06054B50), Put16(z, 0), Put16(z, 0), Put16(z, Entries), Put16(z, Entries);
    Put32(z, uint32_t(cd.size())), Put32(z, cdAt), Put16(z, 0);
    const std::string path = TempDirectory() + "zx_lister_bench.zip";
    std::FILE* f = std::fopen(BackslashToSlash(path).c_str(), "wb");
    std::fwrite(z.data(), 1, z.size(), f);
    std::fclose(f);
    return path;
  }();
  return name;
}

void BM_TravikList(benchmark::State& State) {
  TTravik t(nullptr);
  int64_t listed = 0;
  t.OnRead = [&](TObject*, int, int) { listed += int64_t(t.FileName.size()) + t.UnpackedSize; };
  t.SetArchiveFile(BenchZip());
  for (auto _ : State) {
    if (!t.Activate() || t.RecNum != Entries) State.SkipWithError("listing failed");
    benchmark::DoNotOptimize(listed);
  }
  State.SetItemsProcessed(State.iterations() * Entries);
}
BENCHMARK(BM_TravikList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UnzipList(benchmark::State& State) {
  const std::string cmd = "unzip -l '" + BackslashToSlash(BenchZip()) + "' > /dev/null";
  for (auto _ : State)
    if (std::system(cmd.c_str()) != 0) State.SkipWithError("unzip -l failed (is unzip installed?)");
  State.SetItemsProcessed(State.iterations() * Entries);
}
BENCHMARK(BM_UnzipList)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

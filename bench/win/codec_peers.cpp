// The codecs as the Windows builds compile them (the shipped 32-bit one above all) against
// zlib built for the same target: inflate, deflate level 6 and CRC-32 on the corpus of the
// native benchmark. Ours and zlib run interleaved in one loop on the same input, every
// output is checked after its run; the table gives medians and zlib's time over ours.
// Run it under Wine: bench_codecs_win.exe [only: inflate|deflate|crc]
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "archive/core/arc_globals.h"
#include "archive/core/inflate.h"
#include "bench/codec_corpus.h"

namespace {

struct TPeer {
  std::string Name;
  std::function<void()> Run;
  std::function<std::string()> Check;  // empty when the output is right
  std::vector<double> Ms;
  std::string Note;
};

struct TRow {
  std::string What;
  std::vector<TPeer> Peers;  // ours, zlib
};

bool Failed = false;

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V.empty() ? 0 : V[V.size() / 2];
}

void Interleave(TRow& R, int Rounds) {
  for (int r = 0; r < Rounds; r++)
    for (TPeer& P : R.Peers) {
      const auto T0 = std::chrono::steady_clock::now();
      P.Run();
      const auto T1 = std::chrono::steady_clock::now();
      P.Ms.push_back(std::chrono::duration<double, std::milli>(T1 - T0).count());
      const std::string Err = P.Check();
      if (!Err.empty()) {
        std::fprintf(stderr, "%s %s: WRONG OUTPUT: %s\n", R.What.c_str(), P.Name.c_str(), Err.c_str());
        Failed = true;
      }
    }
}

std::vector<TRow> Rows;

void InflateRow(const TBytes& Plain) {
  const TBytes Packed = ZlibDeflate(Plain, 6);
  TBytes Out(Plain.size() + 1);
  size_t Made = 0;
  auto Check = [&] { return Same(Out, Made, Plain); };
  TRow R{"inflate", {}};
  R.Peers.push_back({"ours", [&] {
                       if (InflateBuffer(Packed.data(), Packed.size(), Out.data(), Out.size(), Made) !=
                           TDecodeResult::Ok)
                         Made = 0;
                     },
                     Check});
  R.Peers.push_back({"zlib", [&] { Made = size_t(std::max(0L, ZlibInflate(Packed.data(), Packed.size(), Out))); },
                     Check});
  for (TPeer& P : R.Peers) std::fill(Out.begin(), Out.end(), 0), P.Run(), P.Check();  // warm
  Interleave(R, 9);
  Rows.push_back(std::move(R));
}

void DeflateRow(const TBytes& Plain, int Level) {
  TBytes Packed, Back(Plain.size() + 1);
  TRow R{"deflate level " + std::to_string(Level), {}};
  R.Peers.push_back({"ours", [&] { Packed = OurDeflate(Plain, Level); }, nullptr});
  R.Peers.push_back({"zlib", [&] { Packed = ZlibDeflate(Plain, Level); }, nullptr});
  for (TPeer& P : R.Peers)
    P.Check = [&] {
      // Every output goes back through zlib's inflate.
      const long N = ZlibInflate(Packed.data(), Packed.size(), Back);
      char Buf[32];
      std::snprintf(Buf, sizeof Buf, "%.3f %%", 100.0 * double(Packed.size()) / double(Plain.size()));
      P.Note = Buf;
      return Same(Back, size_t(std::max(0L, N)), Plain);
    };
  Interleave(R, 3);
  Rows.push_back(std::move(R));
}

void CrcRow(const TBytes& Plain) {
  const uint32_t Want = uint32_t(crc32(0, Plain.data(), uInt(Plain.size())));
  uint32_t Got = 0;
  auto Check = [&] { return Got == Want ? std::string() : "CRC differs"; };
  TRow R{"CRC-32", {}};
  R.Peers.push_back({"ours", [&] {
                       uint32_t C = 0xFFFFFFFF;
                       UpdateCrc32(Plain.data(), Plain.size(), C);
                       Got = ~C;
                     },
                     Check});
  const TPeer Zlib{"zlib", [&] { Got = uint32_t(crc32(0, Plain.data(), uInt(Plain.size()))); }, Check};
  R.Peers.push_back(Zlib);
  Interleave(R, 21);
  Rows.push_back(std::move(R));
  // The way a CPU without carry-less multiplication takes (zlib has only tables too).
  TRow T{"CRC-32 by tables", {}};
  T.Peers.push_back({"ours", [&] {
                       uint32_t C = 0xFFFFFFFF;
                       UpdateCrc32Tables(Plain.data(), Plain.size(), C);
                       Got = ~C;
                     },
                     Check});
  T.Peers.push_back(Zlib);
  Interleave(T, 21);
  Rows.push_back(std::move(T));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string Only = argc > 1 ? argv[1] : "";
  auto Want = [&](const char* Name) { return Only.empty() || Only == Name; };
  const char* Bits = sizeof(void*) == 4 ? "32-bit" : "64-bit";
  const TBytes Corpus = MakeCorpus();
  __builtin_cpu_init();
  std::printf("%s Windows build, zlib %s; corpus %u bytes; CPU: bmi2 %s, pclmul %s\n", Bits, zlibVersion(),
              unsigned(Corpus.size()), __builtin_cpu_supports("bmi2") ? "yes" : "no",
              __builtin_cpu_supports("pclmul") ? "yes" : "no");
  if (Want("inflate")) InflateRow(Corpus);
  if (Want("deflate")) DeflateRow(Corpus, 6);
  if (Want("crc")) CrcRow(Corpus);
  std::printf("\n| operation (%s) | ours | zlib |\n|---|---|---|\n", Bits);
  for (const TRow& R : Rows) {
    const double Ours = Median(R.Peers[0].Ms), Zlib = Median(R.Peers[1].Ms);
    const double MB = double(Corpus.size()) / 1e6;
    std::printf("| %s | %.1f ms, %.0f MB/s%s%s | %.1f ms, %.0f MB/s%s%s (%.2fx ours) |\n", R.What.c_str(), Ours,
                MB / Ours * 1e3, R.Peers[0].Note.empty() ? "" : ", ", R.Peers[0].Note.c_str(), Zlib, MB / Zlib * 1e3,
                R.Peers[1].Note.empty() ? "" : ", ", R.Peers[1].Note.c_str(), Zlib / Ours);
  }
  std::printf("\n(x ours: zlib's median time over ours; above 1 means we are faster)\n");
  if (Failed) std::printf("SOME OUTPUTS WERE WRONG (see above)\n");
  return Failed ? 1 : 0;
}

// Inflate throughput against zlib's inflate on the same 64 MB of text and binary data
// (compressed by zlib at level 6), and extraction of a 20,000-file ZIP against Info-ZIP
// unzip. The closing lines give our speed as a ratio of theirs.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "archive/core/arc_file.h"
#include "archive/core/inflate.h"
#include "archive/core/un_zip.h"
#include "classlib/core/sys_utils.h"

namespace {

// Text of a small vocabulary with line breaks, and binary records (little-endian
// numbers, tables, runs of zeros, some noise): the mix found in an archive.
std::vector<uint8_t> MakeMix(size_t Size, uint32_t Seed) {
  std::mt19937 R(Seed);
  static const char* Words[] = {"the ", "file ", "archive ", "panel ", "manager ", "copy ", "of ", "to ",
                                "Zembrix ", "folder ", "name ", "size ", "date ", "and ", "\r\n", "= "};
  std::vector<uint8_t> D;
  D.reserve(Size);
  while (D.size() < Size) {
    if (R() % 2) {
      for (int i = 0, n = 20 + R() % 400; i < n; i++)
        for (const char* W = Words[R() % 16]; *W; W++) D.push_back(uint8_t(*W));
    } else {
      uint32_t Base = R();
      for (int i = 0, n = 16 + R() % 256; i < n; i++) {
        uint32_t V = Base + i * 4 + (R() % 8 == 0 ? R() : 0);
        for (int k = 0; k < 4; k++) D.push_back(uint8_t(V >> (8 * k)));
        if (R() % 16 == 0) D.insert(D.end(), R() % 64, 0);
      }
    }
  }
  D.resize(Size);
  return D;
}

std::vector<uint8_t> DeflateRaw(const std::vector<uint8_t>& In, int Level) {
  z_stream S{};
  deflateInit2(&S, Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::vector<uint8_t> Out(deflateBound(&S, In.size()));
  S.next_in = const_cast<Bytef*>(In.data());
  S.avail_in = uInt(In.size());
  S.next_out = Out.data();
  S.avail_out = uInt(Out.size());
  deflate(&S, Z_FINISH);
  Out.resize(S.total_out);
  deflateEnd(&S);
  return Out;
}

struct TData {
  std::vector<uint8_t> Plain = MakeMix(64u << 20, 2024);
  std::vector<uint8_t> Packed = DeflateRaw(Plain, 6);
};
const TData& Data() {
  static TData D;
  return D;
}

// Both decoders write into the same 256 KB buffer, as a caller that hands the data on.
struct TCopySink : TByteSink {
  std::vector<uint8_t> Buf = std::vector<uint8_t>(1 << 18);
  size_t Total = 0;
  bool Write(const uint8_t* P, size_t N) override {
    memcpy(Buf.data(), P, N);
    Total += N;
    return true;
  }
};

void BM_InflateOurs(benchmark::State& St) {
  const TData& D = Data();
  for (auto _ : St) {
    TMemorySource Src(D.Packed.data(), D.Packed.size());
    TCopySink Sink;
    if (Inflate(Src, Sink) != TDecodeResult::Ok || Sink.Total != D.Plain.size()) St.SkipWithError("bad result");
  }
  St.SetBytesProcessed(int64_t(St.iterations()) * int64_t(D.Plain.size()));
}

void BM_InflateZlib(benchmark::State& St) {
  const TData& D = Data();
  std::vector<uint8_t> Buf(1 << 18);
  for (auto _ : St) {
    z_stream S{};
    inflateInit2(&S, -15);
    S.next_in = const_cast<Bytef*>(D.Packed.data());
    S.avail_in = uInt(D.Packed.size());
    size_t Total = 0;
    int R;
    do {
      S.next_out = Buf.data();
      S.avail_out = uInt(Buf.size());
      R = inflate(&S, Z_NO_FLUSH);
      Total += Buf.size() - S.avail_out;
    } while (R == Z_OK);
    inflateEnd(&S);
    if (R != Z_STREAM_END || Total != D.Plain.size()) St.SkipWithError("bad result");
  }
  St.SetBytesProcessed(int64_t(St.iterations()) * int64_t(D.Plain.size()));
}

// ---- 20,000 small files in one ZIP (deflated by zlib), extracted to a fresh folder.

std::string ZipPath() { return TempDirectory() + "zx_bench_20000.zip"; }

void MakeZip20000() {
  static bool Made = false;
  if (Made) return;
  Made = true;
  std::vector<uint8_t> Out, Central;
  auto U16 = [](std::vector<uint8_t>& V, uint32_t X) { V.push_back(uint8_t(X)); V.push_back(uint8_t(X >> 8)); };
  auto U32 = [&](std::vector<uint8_t>& V, uint32_t X) { U16(V, X & 0xFFFF); U16(V, X >> 16); };
  std::mt19937 R(7);
  const uint32_t DosDate = (21u << 25) | (2 << 21) | (3 << 16);
  for (int i = 0; i < 20000; i++) {
    std::vector<uint8_t> Plain = MakeMix(200 + R() % 6000, i);
    std::vector<uint8_t> Packed = DeflateRaw(Plain, 6);
    const uint32_t Crc = uint32_t(crc32(0, Plain.data(), uInt(Plain.size())));
    char Name[32];
    snprintf(Name, sizeof Name, "d%02d/f%05d.txt", i / 1000, i);
    const uint32_t Off = uint32_t(Out.size());
    for (auto* V : {&Out, &Central}) {
      const bool C = V == &Central;
      U32(*V, C ? 0x02014B50 : 0x04034B50);
      if (C) U16(*V, 20);
      U16(*V, 20); U16(*V, 0); U16(*V, 8); U32(*V, DosDate);
      U32(*V, Crc); U32(*V, uint32_t(Packed.size())); U32(*V, uint32_t(Plain.size()));
      U16(*V, uint32_t(strlen(Name))); U16(*V, 0);
      if (C) { U16(*V, 0); U16(*V, 0); U16(*V, 0); U32(*V, 0x20); U32(*V, Off); }
      V->insert(V->end(), Name, Name + strlen(Name));
    }
    Out.insert(Out.end(), Packed.begin(), Packed.end());
  }
  const uint32_t CdOff = uint32_t(Out.size());
  Out.insert(Out.end(), Central.begin(), Central.end());
  U32(Out, 0x06054B50); U16(Out, 0); U16(Out, 0); U16(Out, 20000); U16(Out, 20000);
  U32(Out, uint32_t(Central.size())); U32(Out, CdOff); U16(Out, 0);
  FILE* F = fopen(BackslashToSlash(ZipPath()).c_str(), "wb");
  fwrite(Out.data(), 1, Out.size(), F);
  fclose(F);
}

std::string OutDir() { return TempDirectory() + "zx_bench_out"; }

void BM_ZipExtractOurs(benchmark::State& St) {
  MakeZip20000();
  for (auto _ : St) {
    St.PauseTiming();
    std::system(("rm -rf " + BackslashToSlash(OutDir())).c_str());
    St.ResumeTiming();
    TUnZIP Z(nullptr);
    int Failed = 0;
    Z.OnEnd = [&](TObject*, const std::string&, bool Pass) { Failed += !Pass; };
    Z.SetArchiveFile(ZipPath());
    Z.SetExtractDir(OutDir());
    Z.Extract();
    if (Failed) St.SkipWithError("CRC failures");
  }
}

void BM_ZipExtractUnzip(benchmark::State& St) {
  MakeZip20000();
  const std::string Cmd = "unzip -qq -o " + BackslashToSlash(ZipPath()) + " -d " + BackslashToSlash(OutDir());
  for (auto _ : St) {
    St.PauseTiming();
    std::system(("rm -rf " + BackslashToSlash(OutDir())).c_str());
    St.ResumeTiming();
    if (std::system(Cmd.c_str()) != 0) St.SkipWithError("unzip failed (is it installed?)");
  }
}

BENCHMARK(BM_InflateOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_InflateZlib)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ZipExtractOurs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ZipExtractUnzip)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps each run's time per iteration to print the ratios at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& R : Runs) {
      Cpu[R.run_name.function_name] = R.GetAdjustedCPUTime();
      Real[R.run_name.function_name] = R.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> Cpu, Real;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter Rep;
  benchmark::RunSpecifiedBenchmarks(&Rep);
  // In-process pairs compare CPU time (steady under load); unzip runs as a child
  // process, so that pair compares wall time.
  auto Ratio = [](std::map<std::string, double>& T, const char* Ours, const char* Theirs, const char* What) {
    if (T.count(Ours) && T.count(Theirs) && T[Ours] > 0) printf("%s: %.2fx\n", What, T[Theirs] / T[Ours]);
  };
  printf("inflate input: 64 MB, %zu bytes packed by zlib level 6\n", Data().Packed.size());
  Ratio(Rep.Cpu, "BM_InflateOurs", "BM_InflateZlib", "inflate throughput, ours / zlib (CPU time)");
  Ratio(Rep.Real, "BM_ZipExtractOurs", "BM_ZipExtractUnzip", "20,000-file ZIP extraction, ours / unzip (wall time)");
  benchmark::Shutdown();
  std::system(("rm -rf " + BackslashToSlash(OutDir()) + " " + BackslashToSlash(ZipPath())).c_str());
  return 0;
}

// The archive engine against the libraries and programs users would pick otherwise: zlib
// and libdeflate for inflate, deflate (levels 6 and 9) and CRC-32; Info-ZIP's unzip for
// listing and extracting a ZIP of 20,000 entries. Ours and the peers run interleaved in
// one loop on the same input (a tmpfs folder where files are written), every output is
// checked after its run, and the table gives medians, instructions per unit (user space,
// counted by the kernel, children included) and each peer's time over ours.
//   usage: bench_archive_peers [rounds-factor]
#include <libdeflate.h>
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive/core/arc_file.h"
#include "archive/core/arc_globals.h"
#include "archive/core/deflate.h"
#include "archive/core/inflate.h"
#include "archive/core/travik.h"
#include "archive/core/un_zip.h"
#include "bench/codec_corpus.h"

namespace {

// ---- Measuring ------------------------------------------------------------------------------

// Instructions retired in user space by this process and the children it starts.
class TInstructions {
public:
  TInstructions() {
    perf_event_attr A{};
    A.type = PERF_TYPE_HARDWARE;
    A.size = sizeof A;
    A.config = PERF_COUNT_HW_INSTRUCTIONS;
    A.disabled = 1;
    A.exclude_kernel = 1;
    A.exclude_hv = 1;
    A.inherit = 1;
    FFd = int(syscall(SYS_perf_event_open, &A, 0, -1, -1, 0));
  }
  ~TInstructions() {
    if (FFd >= 0) close(FFd);
  }
  bool Works() const { return FFd >= 0; }
  void Start() {
    if (FFd < 0) return;
    ioctl(FFd, PERF_EVENT_IOC_RESET, 0);
    ioctl(FFd, PERF_EVENT_IOC_ENABLE, 0);
  }
  uint64_t Stop() {
    if (FFd < 0) return 0;
    ioctl(FFd, PERF_EVENT_IOC_DISABLE, 0);
    uint64_t V = 0;
    if (read(FFd, &V, sizeof V) != sizeof V) return 0;
    return V;
  }

private:
  int FFd = -1;
};
TInstructions Counter;

struct TPeer {
  std::string Name;
  std::function<void()> Run;
  std::function<std::string()> Check;  // empty when the output is right
  std::vector<double> Ms;
  std::vector<double> Instr;
  std::string Note;  // a figure of the result (a ratio), filled by Check
};

double Median(std::vector<double> V) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

bool Failed = false;

// Runs every peer once per round, in turn, checking each output after its run.
void Interleave(std::vector<TPeer>& Peers, int Rounds) {
  for (int r = 0; r < Rounds; r++)
    for (TPeer& P : Peers) {
      Counter.Start();
      const auto T0 = std::chrono::steady_clock::now();
      P.Run();
      const auto T1 = std::chrono::steady_clock::now();
      P.Instr.push_back(double(Counter.Stop()));
      P.Ms.push_back(std::chrono::duration<double, std::milli>(T1 - T0).count());
      const std::string Err = P.Check();
      if (!Err.empty()) {
        std::fprintf(stderr, "%s: WRONG OUTPUT: %s\n", P.Name.c_str(), Err.c_str());
        Failed = true;
      }
    }
}

struct TRow {
  std::string What, Unit;
  double Units;
  std::vector<TPeer> Peers;
};
std::vector<TRow> Rows;

void Print() {
  std::printf("\n| operation | ours | zlib | libdeflate / unzip |\n|---|---|---|---|\n");
  for (const TRow& R : Rows) {
    std::printf("| %s |", R.What.c_str());
    const double Ours = Median(R.Peers[0].Ms);
    size_t Shown = 0;
    for (size_t i = 0; i < R.Peers.size(); i++) {
      const TPeer& P = R.Peers[i];
      // The unzip rows have no zlib column.
      if (i == 1 && P.Name == "unzip") std::printf(" |"), Shown++;
      const double Ms = Median(P.Ms);
      std::printf(" %s%.1f ms", i ? (P.Name + " ").c_str() : "", Ms);
      if (Counter.Works()) std::printf(", %.1f instr/%s", Median(P.Instr) / R.Units, R.Unit.c_str());
      if (!P.Note.empty()) std::printf(", %s", P.Note.c_str());
      if (i) std::printf(" (%.2fx ours)", Ms / Ours);
      std::printf(" |");
      Shown++;
    }
    for (; Shown < 3; Shown++) std::printf(" |");
    std::printf("\n");
  }
  std::printf("\n(x ours: the peer's median time over ours; above 1 means we are faster)\n");
}

// ---- Codecs ---------------------------------------------------------------------------------

// A sink that copies each block it is given on into the caller's buffer.
struct TBufferSink : TByteSink {
  uint8_t* P;
  size_t Room, N = 0;
  TBufferSink(TBytes& B) : P(B.data()), Room(B.size()) {}
  bool Write(const uint8_t* Buf, size_t Size) override {
    if (Size > Room - N) return false;
    std::memcpy(P + N, Buf, Size);
    N += Size;
    return true;
  }
};

// zlib's raw inflate through a 32 KiB buffer copied on to Out, as a program that writes
// its output in blocks uses it; the length made, or -1.
long ZlibInflateBlocks(const uint8_t* In, size_t Len, TBytes& Out) {
  z_stream Z{};
  inflateInit2(&Z, -15);
  Z.next_in = const_cast<Bytef*>(In);
  Z.avail_in = uInt(Len);
  uint8_t Buf[32768];
  size_t N = 0;
  int R;
  do {
    Z.next_out = Buf;
    Z.avail_out = sizeof Buf;
    R = inflate(&Z, Z_NO_FLUSH);
    const size_t Got = sizeof Buf - Z.avail_out;
    if (Got > Out.size() - N) break;
    std::memcpy(Out.data() + N, Buf, Got);
    N += Got;
  } while (R == Z_OK);
  inflateEnd(&Z);
  return R == Z_STREAM_END ? long(N) : -1;
}

void InflateRows(const TBytes& Plain) {
  const TBytes Packed = ZlibDeflate(Plain, 6);
  TBytes Out(Plain.size() + 1);
  size_t Made = 0;
  libdeflate_decompressor* D = libdeflate_alloc_decompressor();
  auto Check = [&] { return Same(Out, Made, Plain); };
  // Into memory whose size is known, as the peers decode.
  TRow R{"inflate", "byte", double(Plain.size()), {}};
  R.Peers.push_back({"ours", [&] {
                       if (InflateBuffer(Packed.data(), Packed.size(), Out.data(), Out.size(), Made) !=
                           TDecodeResult::Ok)
                         Made = 0;
                     },
                     Check});
  R.Peers.push_back({"zlib", [&] { Made = size_t(std::max(0L, ZlibInflate(Packed.data(), Packed.size(), Out))); },
                     Check});
  R.Peers.push_back({"libdeflate", [&] {
                       size_t N = 0;
                       Made = libdeflate_deflate_decompress(D, Packed.data(), Packed.size(), Out.data(), Out.size(),
                                                            &N) == LIBDEFLATE_SUCCESS ? N : 0;
                     },
                     Check});
  // Read and written in blocks, as an extraction to a file goes (libdeflate cannot: it
  // stays as it was, for reference).
  TRow B{"inflate in 32 KiB blocks", "byte", double(Plain.size()), {}};
  B.Peers.push_back({"ours", [&] {
                       TMemorySource Src(Packed.data(), Packed.size(), 32768);
                       TBufferSink Sink(Out);
                       Made = Inflate(Src, Sink) == TDecodeResult::Ok ? Sink.N : 0;
                     },
                     Check});
  B.Peers.push_back(
      {"zlib", [&] { Made = size_t(std::max(0L, ZlibInflateBlocks(Packed.data(), Packed.size(), Out))); }, Check});
  B.Peers.push_back(R.Peers[2]);
  for (TRow* Row : {&R, &B}) {
    for (TPeer& P : Row->Peers) std::fill(Out.begin(), Out.end(), 0), P.Run(), P.Check();  // warm
    Interleave(Row->Peers, 9);
    Rows.push_back(std::move(*Row));
  }
  libdeflate_free_decompressor(D);
}

void DeflateRow(const TBytes& Plain, int Level) {
  TBytes Packed, Back(Plain.size() + 1);
  libdeflate_compressor* C = libdeflate_alloc_compressor(Level);
  TRow R{"deflate level " + std::to_string(Level), "byte", double(Plain.size()), {}};
  auto Check = [&](TPeer& P) {
    return [&] {
      // Every output goes back through zlib's inflate.
      const long N = ZlibInflate(Packed.data(), Packed.size(), Back);
      char Buf[32];
      std::snprintf(Buf, sizeof Buf, "%.3f %%", 100.0 * double(Packed.size()) / double(Plain.size()));
      P.Note = Buf;
      return Same(Back, size_t(std::max(0L, N)), Plain);
    };
  };
  R.Peers.push_back({"ours", [&] { Packed = OurDeflate(Plain, Level); }, nullptr});
  R.Peers.push_back({"zlib", [&] { Packed = ZlibDeflate(Plain, Level); }, nullptr});
  R.Peers.push_back({"libdeflate", [&] {
                       Packed.resize(libdeflate_deflate_compress_bound(C, Plain.size()));
                       Packed.resize(libdeflate_deflate_compress(C, Plain.data(), Plain.size(), Packed.data(),
                                                                 Packed.size()));
                     },
                     nullptr});
  for (TPeer& P : R.Peers) P.Check = Check(P);
  Interleave(R.Peers, 3);
  libdeflate_free_compressor(C);
  Rows.push_back(std::move(R));
}

void CrcRow(const TBytes& Plain) {
  const uint32_t Want = uint32_t(crc32(0, Plain.data(), uInt(Plain.size())));
  uint32_t Got = 0;
  auto Check = [&] { return Got == Want ? std::string() : "CRC differs"; };
  TRow R{"CRC-32", "byte", double(Plain.size()), {}};
  R.Peers.push_back({"ours", [&] {
                       uint32_t C = 0xFFFFFFFF;
                       UpdateCrc32(Plain.data(), Plain.size(), C);
                       Got = ~C;
                     },
                     Check});
  R.Peers.push_back({"zlib", [&] { Got = uint32_t(crc32(0, Plain.data(), uInt(Plain.size()))); }, Check});
  R.Peers.push_back({"libdeflate", [&] { Got = libdeflate_crc32(0, Plain.data(), Plain.size()); }, Check});
  Interleave(R.Peers, 21);
  Rows.push_back(std::move(R));
  // The way a CPU without carry-less multiplication takes (zlib has only tables too).
  TRow T{"CRC-32 by tables", "byte", double(Plain.size()), {}};
  T.Peers.push_back({"ours", [&] {
                       uint32_t C = 0xFFFFFFFF;
                       UpdateCrc32Tables(Plain.data(), Plain.size(), C);
                       Got = ~C;
                     },
                     Check});
  T.Peers.push_back({"zlib", [&] { Got = uint32_t(crc32(0, Plain.data(), uInt(Plain.size()))); }, Check});
  Interleave(T.Peers, 21);
  Rows.push_back(std::move(T));
}

// ---- A ZIP of 20,000 entries ----------------------------------------------------------------

struct TZipFixture {
  std::vector<std::string> Names;
  std::vector<TBytes> Plain;
  std::string Path;  // as the engine names it
};

void Put16(TBytes& V, uint32_t X) {
  V.push_back(uint8_t(X));
  V.push_back(uint8_t(X >> 8));
}
void Put32(TBytes& V, uint32_t X) {
  Put16(V, X & 0xFFFF);
  Put16(V, X >> 16);
}

// Deflated text and binary files of 200 to 6,200 bytes in 20 folders.
TZipFixture MakeZip(const std::string& Dir, const TBytes& Corpus) {
  TZipFixture F;
  TBytes Out, Central;
  std::mt19937 G(7);
  const uint32_t DosDate = (41u << 25) | (2 << 21) | (3 << 16);
  for (int i = 0; i < 20000; i++) {
    const size_t Len = 200 + G() % 6000, From = G() % (Corpus.size() - Len);
    TBytes Plain(Corpus.begin() + long(From), Corpus.begin() + long(From + Len));
    const TBytes Packed = ZlibDeflate(Plain, 6);
    const uint32_t Crc = uint32_t(crc32(0, Plain.data(), uInt(Plain.size())));
    char Name[32];
    std::snprintf(Name, sizeof Name, "d%02d/f%05d.txt", i / 1000, i);
    const uint32_t Off = uint32_t(Out.size());
    for (TBytes* V : {&Out, &Central}) {
      const bool C = V == &Central;
      Put32(*V, C ? 0x02014B50 : 0x04034B50);
      if (C) Put16(*V, 20);
      Put16(*V, 20), Put16(*V, 0), Put16(*V, 8), Put32(*V, DosDate);
      Put32(*V, Crc), Put32(*V, uint32_t(Packed.size())), Put32(*V, uint32_t(Plain.size()));
      Put16(*V, uint32_t(std::strlen(Name))), Put16(*V, 0);
      if (C) Put16(*V, 0), Put16(*V, 0), Put16(*V, 0), Put32(*V, 0x20), Put32(*V, Off);
      V->insert(V->end(), Name, Name + std::strlen(Name));
    }
    Out.insert(Out.end(), Packed.begin(), Packed.end());
    F.Names.push_back(Name);
    F.Plain.push_back(std::move(Plain));
  }
  const uint32_t CdOff = uint32_t(Out.size());
  Out.insert(Out.end(), Central.begin(), Central.end());
  Put32(Out, 0x06054B50), Put16(Out, 0), Put16(Out, 0), Put16(Out, 20000), Put16(Out, 20000);
  Put32(Out, uint32_t(Central.size())), Put32(Out, CdOff), Put16(Out, 0);
  F.Path = Dir + "bench.zip";
  FILE* File = std::fopen(BackslashToSlash(F.Path).c_str(), "wb");
  std::fwrite(Out.data(), 1, Out.size(), File);
  std::fclose(File);
  return F;
}

std::string Shell(const std::string& Cmd) {
  std::string Out;
  if (FILE* P = popen(Cmd.c_str(), "r")) {
    char Buf[65536];
    size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, P)) > 0) Out.append(Buf, N);
    pclose(P);
  }
  return Out;
}

void ListRow(const TZipFixture& F) {
  std::vector<std::string> Got;
  std::vector<int64_t> Sizes;
  auto Check = [&] {
    if (Got.size() != F.Names.size()) return "entries " + std::to_string(Got.size());
    for (size_t i = 0; i < Got.size(); i++) {
      std::string W = F.Names[i];
      if (Got[i] != W && Got[i] != SlashToBackslash(W)) return "name " + Got[i];
      if (!Sizes.empty() && Sizes[i] != int64_t(F.Plain[i].size())) return "size of " + Got[i];
    }
    return std::string();
  };
  TRow R{"list a 20,000-entry ZIP (names)", "entry", 20000.0, {}};
  R.Peers.push_back({"ours", [&] {
                       Got.clear();
                       Sizes.clear();
                       TTravik T(nullptr);
                       T.OnRead = [&](TObject*, int, int) {
                         Got.push_back(T.FileName);
                         Sizes.push_back(T.UnpackedSize);
                       };
                       T.SetArchiveFile(F.Path);
                       T.Activate();
                     },
                     Check});
  const std::string Cmd = "unzip -Z1 " + BackslashToSlash(F.Path);
  R.Peers.push_back({"unzip", [&] {
                       Got.clear();
                       Sizes.clear();
                       const std::string Out = Shell(Cmd);
                       size_t At = 0;
                       for (size_t E; (E = Out.find('\n', At)) != std::string::npos; At = E + 1)
                         Got.push_back(Out.substr(At, E - At));
                     },
                     Check});
  Interleave(R.Peers, 9);
  Rows.push_back(std::move(R));
}

// Every file of the fixture, byte for byte, under Dir (a slash path).
std::string CheckTree(const TZipFixture& F, const std::string& Dir) {
  TBytes Buf;
  for (size_t i = 0; i < F.Names.size(); i++) {
    FILE* File = std::fopen((Dir + "/" + F.Names[i]).c_str(), "rb");
    if (!File) return "missing " + F.Names[i];
    Buf.resize(F.Plain[i].size() + 1);
    const size_t N = std::fread(Buf.data(), 1, Buf.size(), File);
    std::fclose(File);
    if (N != F.Plain[i].size() || std::memcmp(Buf.data(), F.Plain[i].data(), N) != 0) return "content of " + F.Names[i];
  }
  return {};
}

void ExtractRow(const TZipFixture& F, const std::string& Dir) {
  const std::string Out = BackslashToSlash(Dir) + "out";
  auto Clear = [&] { std::system(("rm -rf " + Out).c_str()); };
  TRow R{"extract it to tmpfs", "entry", 20000.0, {}};
  R.Peers.push_back({"ours", [&] {
                       TUnZIP Z(nullptr);
                       Z.SetArchiveFile(F.Path);
                       Z.SetExtractDir(Dir + "out");
                       Z.Extract();
                     },
                     [&] {
                       std::string E = CheckTree(F, Out);
                       Clear();
                       return E;
                     }});
  const std::string Cmd = "unzip -qq -o " + BackslashToSlash(F.Path) + " -d " + Out;
  R.Peers.push_back({"unzip", [&] {
                       if (std::system(Cmd.c_str()) != 0) std::fprintf(stderr, "unzip failed\n");
                     },
                     [&] {
                       std::string E = CheckTree(F, Out);
                       Clear();
                       return E;
                     }});
  Clear();
  Interleave(R.Peers, 5);
  Rows.push_back(std::move(R));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string Only = argc > 1 ? argv[1] : "";
  auto Want = [&](const char* Name) { return Only.empty() || Only == Name; };
  const TBytes Corpus = MakeCorpus();
  std::printf("corpus: %zu bytes of text, records, random bytes, runs and repeats; %s\n", Corpus.size(),
              Counter.Works() ? "instructions counted" : "no instruction counter (perf events refused)");
  if (Want("inflate")) InflateRows(Corpus);
  if (Want("deflate")) DeflateRow(Corpus, 6), DeflateRow(Corpus, 9);
  if (Want("crc")) CrcRow(Corpus);
  if (Want("zip")) {
    // tmpfs for the files, so that the disk does not decide.
    const std::string Dir = "\\dev\\shm\\zx_bench_" + std::to_string(getpid()) + "\\";
    std::system(("mkdir -p " + BackslashToSlash(Dir)).c_str());
    const TZipFixture F = MakeZip(Dir, Corpus);
    ListRow(F);
    ExtractRow(F, Dir);
    std::system(("rm -rf " + BackslashToSlash(Dir)).c_str());
  }
  Print();
  if (Failed) std::printf("SOME OUTPUTS WERE WRONG (see above)\n");
  return Failed ? 1 : 0;
}

#include "archive/core/arc_type.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "archive/core/arc_globals.h"
#include "archive/core/gzip_header.h"
#include "archive/core/pe_resources.h"
#include "archive/core/tar_header.h"
#include "archive/core/uu_header.h"
#include "archive/core/zip_format.h"
#include "archive/core/le_bytes.h"

namespace {
using le::Get16;
using le::Get32;

const char* const TypeNames[ArcTypeCount] = {
    "Not avail.", "Unsupport.", "File Error", "Unknown   ", "ARC       ", "ARC SFX   ", "ARJ       ",
    "ARJ SFX   ", "BH        ", "BH  SFX   ", "CAB       ", "GZip      ", "HA        ", "LHA       ",
    "LHA SFX   ", "LZH       ", "LZH SFX   ", "PAK       ", "PAK SFX   ", "RAR       ", "RAR SFX   ",
    "TAR       ", "UUE       ", "ZIP       ", "ZIP SFX   ", "ZIP250    ", "ZIP250 SFX", "ZOO       ",
};
}  // namespace

const char* ArcTypeName(TArcType T) { return T < ArcTypeCount ? TypeNames[T] : ""; }

bool IsArcTypeValid(TArcType T) {
  return T != atNA && T != atUnsupported && T != atFileOpenErr && T != atUnknown && T < ArcTypeCount;
}

const char* const ArcExtensions[ArcExtCount] = {".UUE", ".XXE", ".ENC", ".TAR", ".Z",   ".GZ",
                                                ".ZIP", ".ZOO", ".LHA", ".LZH", ".ARC", ".ARJ",
                                                ".BH",  ".PAK", ".CAB", ".RAR", ".EXE", ".ACE"};

int ArcExtIndex(const std::string& Ext) {
  for (int i = 0; i < ArcExtCount; ++i) {
    const char* e = ArcExtensions[i];
    if (Ext.size() != std::strlen(e)) continue;
    bool same = true;
    for (size_t k = 0; k < Ext.size() && same; ++k) {
      char c = Ext[k];
      if (c >= 'a' && c <= 'z') c -= 32;
      same = c == e[k];
    }
    if (same) return i;
  }
  return -1;
}

TArcType ClassifySignature(uint32_t Sig, bool AtStart, int64_t& Offset) {
  const uint16_t lo = Sig & 0xFFFF, hi = Sig >> 16;
  auto pick = [AtStart](TArcType start, TArcType inside) { return AtStart ? start : inside; };
  if (lo == 0x4B50 && hi != 0x3447) return pick(atZIP, atZipExe);
  if (Sig == 0x50000000) return pick(atZip250, atZip250Exe);
  if (Sig == 0x4643534D) return pick(atCAB, atUnsupported);
  if (Sig == 0x07054842) return pick(atBH, atBHExe);
  if (lo == 0x4148) return pick(atHA, atUnsupported);
  if (IsGzipMagic(lo)) return pick(atGZip, atUnsupported);
  if (lo == 0xEA60) return pick(atARJ, atArjExe);
  if (lo == 0x4F5A) return pick(atZOO, atUnsupported);
  if (hi == 0x6C2D) return pick(atLHA, atLhaExe);
  if (lo == 0x6152) return pick(atRAR, atRarExe);
  if (lo == 0x0A1A || lo == 0x0B1A) return pick(atPAK, atPakExe);
  if (lo == 0x1E1A) return pick(atARC, atUnsupported);
  if (lo == 0x081A || lo == 0x091A) return pick(atARC, atArcExe);
  if (lo == 0x92B7 || lo == 0xDFB7) {
    Offset = 7717;
    return atArcExe;
  }
  return atUnknown;
}

bool IsArcHeader(const uint8_t* Hdr, size_t Len, int64_t FileSize) {
  if (Len < 29 || Hdr[0] != 0x1A) return false;
  const uint8_t method = Hdr[1];
  if (!((method >= 1 && method <= 11) || method == 0x1E)) return false;
  if (std::memchr(Hdr + 2, 0, 13) == nullptr) return false;
  const int64_t header = method == 1 ? 25 : 29;  // method 1 has no original size
  return header + int64_t(Get32(Hdr + 15)) <= FileSize;
}

int32_t TArcMemoryInput::ReadAt(int64_t Pos, void* Buf, int32_t Count) {
  if (Pos < 0 || uint64_t(Pos) > FSize) return -1;
  size_t n = FSize - size_t(Pos);
  if (Count < 0) Count = 0;
  if (n > size_t(Count)) n = size_t(Count);
  if (n) std::memcpy(Buf, FData + Pos, n);
  return int32_t(n);
}

uint32_t TArcRecognizer::Read32(int64_t Pos, bool& Ok) {
  uint8_t b[4];
  Ok = FIn.ReadAt(Pos, b, 4) == 4;
  return Ok ? Get32(b) : 0;
}

bool TArcRecognizer::FindZipSfxOffset() {
  ArcType = atZipExe;
  bool ok;
  if (ArcFileSize > 4) {
    if (Read32(0, ok) == ZipLocalSig && ok) {
      ArcType = atZIP;
      return true;
    }
    // The stub sizes of known ZIP self-extractors.
    static const int64_t stubs[3] = {7612, 15770, 25669};
    for (int64_t at : stubs) {
      if (ArcFileSize <= at + 4) break;
      if (Read32(at, ok) == ZipLocalSig && ok) {
        ArcStartOffset = at + 1;
        return true;
      }
    }
  }
  ArcType = atNA;
  return false;
}

bool TArcRecognizer::IsTarHeader() {
  if (ArcFileSize <= 512) return false;
  if (FIn.ReadAt(0, FTarHeader, 512) != 512) return false;
  if (FTarHeader[156] == 'V') {  // a volume label: the first file's header follows
    ArcStartOffset = 513;
    if (1025 >= ArcFileSize) return false;
    if (FIn.ReadAt(512, FTarHeader, 512) != 512) return false;
  }
  if (TarChecksumOk(FTarHeader)) return true;
  ArcStartOffset = 1;
  return false;
}

bool TArcRecognizer::IsUuText() {
  char buf[4096];
  const int32_t got = FIn.ReadAt(0, buf, sizeof buf);
  if (got <= 0) return false;
  const std::string text(buf, size_t(got));
  // A "begin" line, or three full data lines in a row (a later part).
  int run = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) break;  // only whole lines count
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (UuHeaderLine(line) == ulBegin) return true;
    run = UuIsFullDataLine(line) ? run + 1 : 0;
    if (run >= 3) return true;
  }
  return false;
}

void TArcRecognizer::ScanStringResources() {
  TPeResourceReader pe(FIn);
  if (!pe.IsValid()) return;
  for (uint32_t id = 1; id <= 4; ++id) {
    std::string text = pe.LoadString(id, 5);
    if (text.empty()) return;
    int64_t number = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ') ++first;
    if (first < last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || ptr != last) return;  // not a number
    ArcStartOffset = number;
    if (number >= ArcFileSize) return;
    if (number < 0) continue;  // the seek fails: try the next id
    bool ok;
    uint32_t sig = Read32(number, ok);
    if (!ok) continue;
    ArcType = ClassifySignature(sig, false, ArcStartOffset);
    if (ArcType != atUnknown) {
      if (ArcType == atZIP || ArcType == atZipExe || ArcType == atZip250 || ArcType == atZip250Exe)
        SfxStartOffset = static_cast<uint32_t>(number);
      ArcStartOffset = number + 1;
      return;
    }
  }
}

void TArcRecognizer::ScanImageEnd(const uint8_t Exe[6]) {
  // The DOS image size: whole pages before the last one plus the bytes on the last.
  const int64_t size = (int64_t(Get16(Exe + 4)) - 1) * 512 + Get16(Exe + 2);
  if (size <= 0 || size + 4 >= ArcFileSize) return;
  bool ok;
  uint32_t sig = Read32(size, ok);
  if (!ok) return;
  ArcStartOffset = size + 1 + ((sig & 0xFFFF) == 0xEA60 ? 2 : 0);
  if (ArcStartOffset + 4 >= ArcFileSize) return;
  sig = Read32(ArcStartOffset - 1, ok);
  if (ok) ArcType = ClassifySignature(sig, false, ArcStartOffset);
}

void TArcRecognizer::ScanZipEndRecord() {
  // The same reading of the end records as the lister and the reader do, so that what
  // is recognised here is what they find.
  TZipDirectory dir;
  TZipCentral first;
  if (ZipFindDirectory(FIn, 0, dir) != 0 || ZipReadCentral(FIn, dir.CentralPos, dir.CentralEnd, first) != 0) return;
  ArcStartOffset = first.LocalOffset + dir.Base + 1;
  ArcType = atZipExe;
}

void TArcRecognizer::Run(const std::string& FileName, int32_t) {
  ArcType = atFileOpenErr;
  ArcStartOffset = 1;
  SfxStartOffset = 0;
  ArcFileSize = FIn.Size();
  if (ArcFileSize < 0) return;
  if (FindZipSfxOffset()) return;
  if (ArcFileSize <= 5) return;  // atNA
  uint8_t head[29] = {};
  const int32_t got = FIn.ReadAt(0, head, sizeof head);
  if (got < 6) return;
  if (head[0] != 'M' || head[1] != 'Z') {
    ArcType = ClassifySignature(Get32(head), true, ArcStartOffset);
    // ARC stores the method of its first entry after the 0x1A mark; the table above knows
    // only some of them, so a plausible header of any method counts too.
    if (ArcType == atUnknown && IsArcHeader(head, size_t(got), ArcFileSize))
      ArcType = atARC;
    if (ArcType == atUnknown) {
      const std::string ext = ArcExtractFileExt(FileName);
      if (ext.empty()) {
        if (IsTarHeader()) ArcType = atTAR;
      } else {
        const int index = ArcExtIndex(ext);
        if (index >= 0 && index <= 2)
          ArcType = atUUE;
        else if (index == 3 && IsTarHeader())
          ArcType = atTAR;
      }
    }
    // The parts of a UU or XX file split by a mailer carry numbers (".001") for names.
    if (ArcType == atUnknown && IsUuText()) ArcType = atUUE;
    return;
  }
  ArcType = atUnknown;
  SfxStartOffset = 0;
  ScanStringResources();
  if (ArcType != atUnknown) return;
  ScanImageEnd(head);
  if (ArcType == atUnknown) ScanZipEndRecord();
}

#include "archive/core/arc_directory.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "archive/core/travik.h"
#include "archive/core/arc_header.h"
#include "archive/core/arc_names.h"
#include "archive/core/arj_header.h"
#include "archive/core/gzip_header.h"
#include "archive/core/le_bytes.h"
#include "archive/core/lha_header.h"
#include "archive/core/tar_header.h"
#include "archive/core/uu_header.h"
#include "archive/core/zoo_header.h"
#include "archive/core/zip_format.h"
#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"

namespace {

using le::Get16;
using le::Get32;

// The text of Len bytes up to the first zero byte.
std::string ZText(const uint8_t* P, size_t Len) {
  if (Len == 0) return std::string();
  const void* z = std::memchr(P, 0, Len);
  return std::string(reinterpret_cast<const char*>(P), z ? static_cast<const uint8_t*>(z) - P : Len);
}

// Reads Len bytes at Pos of the current volume; the bytes past the end of the file are zero.
std::vector<uint8_t> ReadBlock(TTravik& T, int64_t Pos, int32_t Len, int32_t* Got = nullptr) {
  std::vector<uint8_t> b(static_cast<size_t>(std::max(Len, 0)));
  const int32_t n = Len > 0 ? T.ReadAt(Pos, b.data(), Len) : 0;
  if (Got) *Got = n;
  return b;
}

std::string ReadText(TTravik& T, int64_t Pos, int32_t Len) {
  int32_t got = 0;
  auto b = ReadBlock(T, Pos, Len, &got);
  return ZText(b.data(), static_cast<size_t>(got));
}

uint32_t ReadU32(TTravik& T, int64_t Pos) {
  uint8_t b[4] = {};
  T.ReadAt(Pos, b, 4);
  return Get32(b);
}

// A 64-bit size of a low and a high word; -1 for one beyond what any file holds (2^62).
int64_t LargeSize(uint32_t Low, uint32_t High) {
  return High >= (1u << 30) ? -1 : static_cast<int64_t>((uint64_t(High) << 32) | Low);
}

// The lister's reads as a byte source for the header readers it shares with the readers.
class TTravikInput : public TArcInput {
public:
  explicit TTravikInput(TTravik& Owner) : T(Owner) {}
  int64_t Size() override { return T.ArcFileSize; }
  int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count) override { return T.ReadAt(Pos, Buf, Count); }

private:
  TTravik& T;
};

// ---- ARC and PAK ---------------------------------------------------------------------------

class TArcWalker : public TArcDirWalker {
public:
  TArcWalker(TTravik& Owner, bool Pak) : TArcDirWalker(Owner), FPak(Pak), FIn(Owner), FWalk(Pak) {}
  void SetUp() override {
    T.HeaderLength = 2;
    T.Cursor = T.ArcStartOffset - 1;
  }
  void Step() override {
    TArcHeader h;
    const int64_t pos = T.HeaderPos - 1;
    const TArcStep step = FWalk.Next(FIn, pos, h);
    if (step == asEnd) return T.EndWalk();
    TListEntry e;
    if (step != asEntry) {
      // Told by name, as the reader does; the walk goes on where the reader's does.
      T.ReportArchiveError(h.Name.empty() ? T.CurrentVolume() : OemToAnsiName(h.Name), "", "0",
                           step == asTruncated ? errReadingFile : errBadFileHeader);
      const int64_t next = TArcHeaderWalk::Resync(FIn, pos + 1, FPak);
      if (next < 0) return T.EndWalk();
      T.Cursor = next;
      return;
    }
    e.Name = OemToAnsiName(h.Name);
    if (h.IsFolder) e.Name += "\\";
    e.IsDirectory = h.IsFolder;
    e.Date = DosDateToDateTime(SwapWords(h.DateTime));
    e.PackedSize = h.PackedSize;
    e.UnpackedSize = h.OrigSize;
    e.CRC = h.Crc;
    e.MethodID = uint16_t(h.Method);
    e.MethodName = T.GetCompressMethodName(e.MethodID);
    e.InternalAttr = e.ExternalAttr = h.IsFolder ? 16 : 32;
    e.Offset = h.HeaderPos;
    T.OfferEntry(e);
    T.Cursor = h.Next;
  }

private:
  bool FPak;
  TTravikInput FIn;
  TArcHeaderWalk FWalk;
};

// ---- ARJ ----------------------------------------------------------------------------------

class TArjWalker : public TArcDirWalker {
public:
  TArjWalker(TTravik& Owner) : TArcDirWalker(Owner), FIn(Owner) {}
  void SetUp() override {
    T.HeaderLength = 34;
    T.Cursor = T.ArcStartOffset - 1;
    TArjHeader Main;
    if (ArjReadHeader(FIn, T.Cursor, Main) == jsEntry && Main.FileType == 2) {
      FMainFlags = Main.Flags;
      T.FileName = OemToAnsiName(Main.Name);
      T.ArchiveComment = Main.Comment;
      T.Cursor = Main.NextPos;
    }
    T.ParseVolumeExt(T.ArchiveFile());
  }

  void Step() override {
    const int64_t pos = T.HeaderPos - 1;
    TArjHeader h;
    switch (ArjReadHeader(FIn, pos, h)) {
      case jsEntry: break;
      case jsEnd: return T.EndWalk();
      case jsBadHeader: return T.EndWalk(errBadFileHeader);
      case jsHeaderCrc: return Fault(h, errHeaderCrc);
      case jsTruncated: return Fault(h, errReadingFile);
    }
    TListEntry e;
    e.Name = ArjEntryName(h);
    e.IsDirectory = h.IsFolder();
    if (e.IsDirectory && !e.Name.empty() && e.Name.back() != '\\') e.Name += '\\';  // as the other formats list folders
    e.Comment = h.Comment;
    e.Offset = pos;
    e.Date = ArjEntryDate(h);
    e.Version = h.ArjVersion;
    e.VersionNeeded = h.MinVersion;
    e.CRC = h.Crc;
    e.Encrypted = h.Garbled();
    e.MethodID = h.Method;
    e.MethodName = T.GetCompressMethodName(h.Method, h.FileType);
    e.InternalAttr = e.ExternalAttr = h.FileAttr;
    T.SpanPacked = h.PackedSize;
    T.SpanUnpacked = h.OrigSize;
    e.VolumeID = (FMainFlags & ArjMultiVolume) ? ArcExtractFileName(T.CurrentVolume()) : std::string();
    // A set opened at a later volume: this part is listed, but it is not the whole file.
    if (h.ContinuedFromEarlierVolume()) T.ReportArchiveError(e.Name, "", "0", errBrokenVolumeChain);
    int64_t next = h.NextPos;
    int64_t done = h.HasExtFilePos ? h.ExtFilePos : 0;  // bytes of the file in the parts read
    // The entry goes on in the next volumes: its parts' sizes add up.
    while (h.ContinuesInNextVolume()) {
      done += h.OrigSize;
      const std::string stored = h.Name;
      if (T.Volume.VolumeNumber >= 1000)
        T.RaiseArchiveError(T.CurrentVolume(), "", "0", errMaxVolumes);
      const std::string number = std::to_string(T.Volume.VolumeNumber);
      const std::string volume = T.MakeNextVolumeName(T.CurrentVolume());
      if (volume.empty()) T.RaiseArchiveError(T.CurrentVolume(), "", "0", errOpeningFile);
      if (!T.SwitchVolume(volume, number)) return T.EndWalk();
      TArjHeader m;
      if (ArjReadHeader(FIn, 0, m) != jsEntry || ArjReadHeader(FIn, m.NextPos, h) != jsEntry)
        return T.EndWalk(errBadFileHeader);
      // Not this entry's next part: a volume of another set, or out of order.
      if (!h.ContinuedFromEarlierVolume() || h.Name != stored || (h.HasExtFilePos && int64_t(h.ExtFilePos) != done))
        return T.EndWalk(errBrokenVolumeChain);
      T.SpanPacked = SatAdd(T.SpanPacked, h.PackedSize);
      T.SpanUnpacked = SatAdd(T.SpanUnpacked, h.OrigSize);
      e.CRC = h.Crc;
      next = h.NextPos;
    }
    e.PackedSize = T.SpanPacked;
    e.UnpackedSize = T.SpanUnpacked;
    T.OfferEntry(e);
    T.Cursor = next;
  }

private:
  // A header that cannot be read whole ends the list, told by the entry's name as the
  // reader tells it.
  void Fault(const TArjHeader& H, int ECode) {
    T.ReportArchiveError(H.Name.empty() ? T.CurrentVolume() : ArjEntryName(H), "", "0", ECode);
    T.EndWalk();
  }

  TTravikInput FIn;
  uint8_t FMainFlags = 0;
};

// ---- BH ------------------------------------------------------------------------------------

class TBhWalker : public TArcDirWalker {
public:
  using TArcDirWalker::TArcDirWalker;
  void SetUp() override {
    T.HeaderLength = 37;
    T.Cursor = T.ArcStartOffset - 1;
  }
  void Step() override {
    const uint8_t* h = T.Header;
    if (Get32(h) != 0x07054842 || Get16(h + 4) == 0) return T.EndWalk();
    TListEntry e;
    e.Name = OemToAnsiName(T.ReadCountedName(h[33]));
    e.Offset = T.HeaderPos - 1;
    e.Version = h[7];
    e.VersionNeeded = h[8];
    e.Encrypted = (h[9] & 0x01) != 0;
    e.MethodID = h[10];
    e.MethodName = T.GetCompressMethodName(h[10]);
    e.Date = DosDateToDateTime(Get32(h + 11));
    e.PackedSize = Get32(h + 15);
    e.UnpackedSize = Get32(h + 19);
    e.CRC = Get32(h + 23);
    e.InternalAttr = e.ExternalAttr = Get16(h + 27);
    T.OfferEntry(e);
    T.Cursor += e.PackedSize;
  }
};

// ---- CAB -----------------------------------------------------------------------------------

class TCabWalker : public TArcDirWalker {
public:
  using TArcDirWalker::TArcDirWalker;
  void SetUp() override {
    T.HeaderLength = 16;
    FSeen.clear();
    FSeen.insert(AnsiUpperCase(T.CurrentVolume()));
    if (!ReadCabinet(T.ArcStartOffset - 1, true)) T.EndWalk();
  }

  void Step() override {
    const uint8_t* h = T.Header;
    if (FFiles == 0) return NextCabinet();
    const int64_t pos = T.HeaderPos - 1;
    std::string name = T.ReadZString();
    const uint16_t attr = Get16(h + 14);
    TListEntry e;
    e.Name = CabNameToAnsi(name, attr);
    e.Offset = pos;
    e.Date = DosDateToDateTime((uint32_t(Get16(h + 10)) << 16) | Get16(h + 12));
    e.Version = FMinor;
    e.VersionNeeded = FMajor;
    e.PackedSize = e.UnpackedSize = Get32(h);
    const uint16_t folder = Get16(h + 8);
    uint16_t type = 0;
    if (!FTypes.empty())
      type = folder < FTypes.size() ? FTypes[folder] : folder == 0xFFFD ? FTypes.front() : FTypes.back();
    e.MethodID = type;
    e.MethodName = T.GetCompressMethodName(type);
    e.InternalAttr = e.ExternalAttr = attr;
    e.VolumeID = FVolumeID;
    --FFiles;
    // A file continued from an earlier cabinet was listed there.
    if (folder == 0xFFFD || folder == 0xFFFF) {
      T.FileName = e.Name;
      if (T.OnReadFile) T.OnReadFile(&T, T.FileName);
    } else {
      T.OfferEntry(e);
    }
    if (FFiles == 0) NextCabinet();
  }

private:
  bool ReadCabinet(int64_t Start, bool First) {
    uint8_t h[36] = {};
    if (T.ReadAt(Start, h, 36) != 36 || std::memcmp(h, "MSCF", 4) != 0) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      return false;
    }
    const uint16_t flags = Get16(h + 30);
    // A next cabinet of another set, or out of its place in the set, is not this set's.
    const uint16_t setID = Get16(h + 32), index = Get16(h + 34);
    if (!First && (setID != FSetID || index != uint16_t(FIndex + 1))) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBrokenVolumeChain);
      return false;
    }
    FSetID = setID;
    FIndex = index;
    FMinor = h[24];
    FMajor = h[25];
    int64_t at = Start + 36;
    int folderReserve = 0;
    if (flags & 0x0004) {
      uint8_t r[4] = {};
      T.ReadAt(at, r, 4);
      folderReserve = r[2];
      at += 4 + Get16(r);
    }
    T.Cursor = at;
    if (flags & 0x0001) {
      T.ReadZString();
      T.ReadZString();
    }
    FNext.clear();
    if (flags & 0x0002) {
      FNext = T.ReadZString();
      T.ReadZString();
    }
    at = T.Cursor;
    FTypes.clear();
    const int folders = Get16(h + 26);
    for (int i = 0; i < folders; ++i) {
      uint8_t f[8] = {};
      if (T.ReadAt(at, f, 8) != 8) {
        T.ReportArchiveError(T.CurrentVolume(), "", "0", errReadingFile);
        if (!First) return false;
        break;
      }
      FTypes.push_back(Get16(f + 6));
      at += 8 + folderReserve;
    }
    FFiles = Get16(h + 28);
    FVolumeID = (flags & 0x0003) ? ArcExtractFileName(T.CurrentVolume()) : std::string();
    T.Cursor = Start + Get32(h + 16);
    if (FFiles > 0 && T.Cursor + T.HeaderLength > T.EndLimit) {
      // The file table's offset is damaged: told, and the table read where every cabinet
      // has it, after the folders, as extraction does.
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      T.Cursor = at;
    }
    // A cabinet without files goes straight on to the next one.
    if (FFiles == 0 && T.Cursor + T.HeaderLength >= T.EndLimit) NextCabinet();
    return true;
  }

  void NextCabinet() {
    if (FNext.empty()) return T.EndWalk();
    const std::string name = ArcExtractFilePath(T.CurrentVolume()) + OemToAnsiName(FNext);
    FNext.clear();
    // A set that names a cabinet twice would go round for ever.
    if (!FSeen.insert(AnsiUpperCase(name)).second || FSeen.size() > 1000) {
      T.ReportArchiveError(name, "", "0", errBrokenVolumeChain);
      return T.EndWalk();
    }
    if (!T.SwitchVolume(name, std::to_string(FSeen.size()))) return T.EndWalk();
    if (!ReadCabinet(0, false)) T.EndWalk();
  }

  std::vector<uint16_t> FTypes;  // compression type of each folder
  int FFiles = 0;                // file records left in this cabinet
  std::string FNext;             // the next cabinet's name
  std::string FVolumeID;
  uint8_t FMinor = 0, FMajor = 0;
  uint16_t FSetID = 0, FIndex = 0;
  std::set<std::string> FSeen;
};

// ---- gzip, compress, pack -----------------------------------------------------------------

class TGzipWalker : public TArcDirWalker {
public:
  TGzipWalker(TTravik& Owner) : TArcDirWalker(Owner), FIn(Owner) {}
  void SetUp() override {
    T.HeaderLength = 10;
    T.Cursor = T.ArcStartOffset - 1;
  }
  void Step() override {
    const uint16_t magic = Get16(T.Header);
    if (!IsGzipMagic(magic)) return T.EndWalk();
    TListEntry e;
    e.Date = DosDateToDateTime(static_cast<uint32_t>(T.ArcDate));
    std::string stored;
    if (IsGzipMember(magic)) {
      // The member header as the reader reads it: a cut one is told, not listed.
      TGzipMember m;
      if (GzipReadMember(FIn, T.HeaderPos - 1, m) != gsMember) {
        T.ReportArchiveError(T.CurrentVolume(), "", "0", errReadingFile);
        return T.EndWalk();
      }
      if (m.MTime != 0) e.Date = UnixDateToDateTime(static_cast<int32_t>(m.MTime));
      stored = m.Name;
      const int64_t size = T.EndLimit;
      e.CRC = size >= 8 ? ReadU32(T, size - 8) : 0;
      e.UnpackedSize = size >= 4 ? ReadU32(T, size - 4) : 0;
      e.PackedSize = size;
      e.Encrypted = (m.Flags & gzfEncrypted) != 0;
    } else {
      e.PackedSize = e.UnpackedSize = T.EndLimit;
    }
    e.Name = GzipEntryName(stored, T.ArchiveFile());
    e.Always = true;
    const int attr = FileGetAttr(T.ArchiveFile());
    e.InternalAttr = e.ExternalAttr = attr < 0 ? 0 : static_cast<uint32_t>(attr);
    e.MethodID = magic;
    e.MethodName = T.GetCompressMethodName(magic);
    e.Offset = T.HeaderPos - 1;
    T.OfferEntry(e);
    T.EndWalk();
  }

private:
  TTravikInput FIn;
};

// ---- HA ------------------------------------------------------------------------------------

class THaWalker : public TArcDirWalker {
public:
  using TArcDirWalker::TArcDirWalker;
  void SetUp() override {
    T.HeaderLength = 18;
    T.Cursor = 3;  // one byte before the first entry header
  }
  void Step() override {
    const uint8_t* h = T.Header;
    const std::string path = T.ReadZString();
    const std::string name = T.ReadZString();
    TListEntry e;
    std::string dir = SlashToBackslash(path);
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    e.Name = OemToAnsiName(dir + name);
    e.Offset = T.HeaderPos;  // the header proper begins one byte further on
    e.MethodID = h[1] & 0x0F;
    e.MethodName = T.GetCompressMethodName(e.MethodID);
    e.Version = e.VersionNeeded = h[1] >> 4;
    e.Date = Now();
    e.PackedSize = Get32(h + 2);
    e.UnpackedSize = Get32(h + 6);
    e.CRC = Get32(h + 10);
    e.InternalAttr = e.ExternalAttr = 32;
    T.OfferEntry(e);
    // The machine-specific part (a length byte and that many bytes) precedes the data.
    uint8_t md = 0;
    if (T.ReadAt(T.Cursor, &md, 1) != 1) return T.EndWalk();
    T.Cursor += 1 + md + e.PackedSize - 1;
  }
};

// ---- LHA -----------------------------------------------------------------------------------

class TLhaWalker : public TArcDirWalker {
public:
  TLhaWalker(TTravik& Owner) : TArcDirWalker(Owner), FIn(Owner) {}
  void SetUp() override {
    T.HeaderLength = 22;
    T.Cursor = LhaFirstHeader(FIn, T.ArcStartOffset - 1);
  }
  void Step() override {
    const int64_t pos = T.HeaderPos - 1;
    TLhaHeader h;
    const TLhaStep step = LhaReadHeader(FIn, pos, h);
    if (step == lsEnd) return T.EndWalk();
    TListEntry e;
    e.Name = LhaEntryName(h);
    if (step != lsEntry) {
      // Told by name, as the reader does; the walk goes on where the reader's does.
      T.ReportArchiveError(e.Name.empty() ? T.CurrentVolume() : e.Name, "", "0",
                           step == lsTruncated ? errReadingFile : errBadFileHeader);
      const int64_t next = LhaResync(FIn, pos + 1);
      if (next < 0) return T.EndWalk();
      T.Cursor = next;
      return;
    }
    if (h.IsDirectory() && !e.Name.empty() && e.Name.back() != '\\') e.Name += '\\';
    e.Offset = pos;
    e.IsDirectory = h.IsDirectory();
    e.Date = h.Level == 2 ? UnixDateToDateTime(static_cast<int32_t>(h.Time)) : DosDateToDateTime(h.Time);
    e.PackedSize = std::max<int64_t>(h.DataSize, 0);
    e.UnpackedSize = h.OrigSize;
    e.CRC = h.Crc;
    e.MethodID = uint8_t(h.Method[3]);
    e.MethodName = T.GetCompressMethodName(e.MethodID);
    e.InternalAttr = 32;
    e.ExternalAttr = h.Attr;
    T.OfferEntry(e);
    T.Cursor = h.NextPos;
  }

private:
  TTravikInput FIn;
};

// ---- RAR -----------------------------------------------------------------------------------

class TRarWalker : public TArcDirWalker {
public:
  using TArcDirWalker::TArcDirWalker;
  void SetUp() override {
    T.HeaderLength = 32;
    FSpan = false;
    uint8_t sig[8] = {};
    T.ReadAt(T.ArcStartOffset - 1, sig, 8);
    FRar5 = std::memcmp(sig, "Rar!\x1a\x07\x01\x00", 8) == 0;
    if (FRar5) {
      T.HeaderLength = 8;
      if (!ReadMain5(T.ArcStartOffset - 1, true)) return T.EndWalk();
    } else if (!ReadMain(T.ArcStartOffset - 1, true)) {
      return T.EndWalk();
    }
    T.ParseVolumeExt(T.ArchiveFile());
  }

  void Step() override {
    if (FRar5) return Step5();
    const uint8_t* h = T.Header;
    const int64_t pos = T.HeaderPos - 1;
    const uint8_t type = h[2];
    const uint16_t flags = Get16(h + 3);
    const int size = Get16(h + 5);
    if (size < 7 || type == 0x7B) return T.EndWalk();
    const bool large = (flags & 0x100) != 0;
    int64_t packed = (flags & 0x8000) ? Get32(h + 7) : 0;
    if (type != 0x74 || (flags & 0x4000)) {  // another kind of block: passed over whole
      if (large && type == 0x7A) packed = LargeSize(Get32(h + 7), ReadU32(T, pos + 32));
      if (packed < 0) return T.EndWalk(errBadFileHeader);
      T.Cursor = pos + size + packed;
      return;
    }
    if (!(flags & 0x8000)) return T.EndWalk();  // a file header always has its data size
    int64_t unpacked = Get32(h + 11);
    int nameAt = 32;
    if (large) {
      packed = LargeSize(Get32(h + 7), ReadU32(T, pos + 32));
      unpacked = LargeSize(Get32(h + 11), ReadU32(T, pos + 36));
      if (packed < 0 || unpacked < 0) return T.EndWalk(errBadFileHeader);
      nameAt = 40;
    }
    const int nameSize = std::min<int>(Get16(h + 26), std::max(size - nameAt, 0));
    TListEntry e;
    // The DOS form before a Unicode one (flag 0x200) is what the RAR library gives too; a
    // name made on Unix (host 3) without that flag holds the bytes of its UTF-8.
    e.Name = HostNameToAnsi(ReadText(T, pos + nameAt, nameSize), h[15] == 3 && !(flags & 0x200));
    // A file comment (RAR 2.x) is a comment block inside the file header.
    const int cmtAt = nameAt + nameSize;
    if ((flags & 0x08) && size >= cmtAt + 13) {
      uint8_t c[13] = {};
      T.ReadAt(pos + cmtAt, c, 13);
      const int len = std::min<int>(Get16(c + 7), size - cmtAt - 13);
      e.Comment = ReadText(T, pos + cmtAt + 13, len);
    }
    const int64_t next = pos + size + packed;
    if (flags & 0x02) {  // goes on in the next volume
      if (!FSpan) {
        FSpan = true;
        FSpanOffset = pos;
        T.SpanPacked = T.SpanUnpacked = 0;
      }
      T.SpanPacked = SatAdd(T.SpanPacked, packed);
      T.SpanUnpacked = unpacked;
      if (T.Volume.VolumeNumber >= 1000)
        T.RaiseArchiveError(T.CurrentVolume(), "", "0", errMaxVolumes);
      if (!NextVolume()) return T.EndWalk();
      return;
    }
    if (FSpan && (flags & 0x01)) {
      T.SpanPacked = SatAdd(T.SpanPacked, packed);
      T.SpanUnpacked = unpacked;
      e.Offset = FSpanOffset;
    } else {
      T.SpanPacked = packed;
      T.SpanUnpacked = unpacked;
      e.Offset = pos;
    }
    FSpan = false;
    const uint32_t attr = Get32(h + 28);
    e.IsDirectory = (attr & 0x10) != 0 || (flags & 0xE0) == 0xE0;
    e.Date = DosDateToDateTime(Get32(h + 20));
    e.Version = h[24];
    e.PackedSize = T.SpanPacked;
    e.UnpackedSize = T.SpanUnpacked;
    e.CRC = Get32(h + 16);
    e.Encrypted = (flags & 0x04) != 0;
    e.MethodID = h[25];
    e.MethodName = T.GetCompressMethodName(h[25], 0, attr);
    e.InternalAttr = 32;
    e.ExternalAttr = attr;
    e.VolumeID = (FMainFlags & 0x01) ? ArcExtractFileName(T.CurrentVolume()) : std::string();
    T.OfferEntry(e);
    T.Cursor = next;
  }

private:
  // Opens the next volume: "name.part2.rar" after "name.part1.rar", as the RAR library
  // names them, else the next extension ("name.r00").
  bool NextVolume() {
    if (T.Volume.VolumeNumber >= 1000) T.RaiseArchiveError(T.CurrentVolume(), "", "0", errMaxVolumes);
    const std::string number = std::to_string(T.Volume.VolumeNumber);
    std::string volume = NextRarPartName(T.CurrentVolume());
    if (volume.empty()) volume = T.MakeNextVolumeName(T.CurrentVolume());
    if (volume.empty()) T.RaiseArchiveError(T.CurrentVolume(), "", "0", errOpeningFile);
    if (!T.SwitchVolume(volume, number)) return false;
    return FRar5 ? ReadMain5(0, false) : ReadMain(0, false);
  }

  // ---- RAR 5: blocks of variable-length numbers (7 bits a byte, low first).
  struct TBlock5 {
    uint64_t Type = 0, Flags = 0, ExtraSize = 0, DataSize = 0;
    int64_t FieldsPos = 0;  // the type-specific fields
    int64_t ExtraPos = 0;   // the extra area, at the end of the header
    int64_t Next = 0;       // the next block
  };
  bool ReadVint(int64_t& Pos, int64_t Limit, uint64_t& V) {
    V = 0;
    for (int shift = 0; shift < 64 && Pos < Limit; shift += 7) {
      uint8_t b = 0;
      if (T.ReadAt(Pos++, &b, 1) != 1) return false;
      V |= uint64_t(b & 0x7F) << shift;
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool ReadBlock5(int64_t Pos, TBlock5& B) {
    int64_t p = Pos + 4;  // behind the header CRC
    uint64_t size = 0;
    if (!ReadVint(p, T.EndLimit, size) || size == 0 || size > (1u << 21)) return false;
    const int64_t end = p + int64_t(size);
    if (end > T.EndLimit) return false;
    if (!ReadVint(p, end, B.Type) || !ReadVint(p, end, B.Flags)) return false;
    if ((B.Flags & 1) && !ReadVint(p, end, B.ExtraSize)) return false;
    if ((B.Flags & 2) && !ReadVint(p, end, B.DataSize)) return false;
    if (B.ExtraSize > size || B.DataSize > uint64_t(T.EndLimit)) return false;
    B.FieldsPos = p;
    B.ExtraPos = end - int64_t(B.ExtraSize);
    B.Next = end + int64_t(B.DataSize);
    return true;
  }
  // The signature and main header of a RAR 5 volume at Start.
  bool ReadMain5(int64_t Start, bool First) {
    uint8_t sig[8] = {};
    if (T.ReadAt(Start, sig, 8) != 8 || std::memcmp(sig, "Rar!\x1a\x07\x01\x00", 8) != 0) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      return false;
    }
    TBlock5 b;
    if (!ReadBlock5(Start + 8, b)) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      return false;
    }
    if (b.Type == 4) {  // encrypted headers cannot be walked without the password
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errPasswordProtected);
      return false;
    }
    if (b.Type != 1) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      return false;
    }
    int64_t p = b.FieldsPos;
    uint64_t flags = 0;
    ReadVint(p, b.ExtraPos, flags);
    if (First) FMainFlags = (flags & 1) ? 0x01 : 0;  // a volume of a set
    T.Cursor = b.Next;
    return true;
  }
  void Step5() {
    const int64_t pos = T.HeaderPos - 1;
    TBlock5 b;
    if (!ReadBlock5(pos, b)) return T.EndWalk(errBadFileHeader);
    if (b.Type == 5) return T.EndWalk();  // end of archive
    if (b.Type != 2) {                    // service blocks: passed over whole
      T.Cursor = b.Next;
      return;
    }
    int64_t p = b.FieldsPos;
    uint64_t fileFlags = 0, unpacked = 0, attr = 0, comp = 0, host = 0, nameLen = 0;
    uint8_t w[4] = {};
    uint32_t mtime = 0, crc = 0;
    if (!ReadVint(p, b.ExtraPos, fileFlags) || !ReadVint(p, b.ExtraPos, unpacked) || !ReadVint(p, b.ExtraPos, attr))
      return T.EndWalk(errBadFileHeader);
    if (fileFlags & 2) T.ReadAt(p, w, 4), mtime = Get32(w), p += 4;
    if (fileFlags & 4) T.ReadAt(p, w, 4), crc = Get32(w), p += 4;
    if (!ReadVint(p, b.ExtraPos, comp) || !ReadVint(p, b.ExtraPos, host) || !ReadVint(p, b.ExtraPos, nameLen) ||
        p + int64_t(nameLen) > b.ExtraPos)
      return T.EndWalk(errBadFileHeader);
    const std::string raw = ReadText(T, p, int32_t(nameLen));
    // Names are UTF-8 with '/' between folders.
    TListEntry e;
    e.Name = SlashToBackslash(Utf8NameToAnsi(raw));
    bool encrypted = false;
    for (int64_t x = b.ExtraPos; x < b.ExtraPos + int64_t(b.ExtraSize);) {
      uint64_t size = 0, type = 0;
      int64_t q = x;
      if (!ReadVint(q, b.ExtraPos + int64_t(b.ExtraSize), size) || size == 0) break;
      const int64_t after = q + int64_t(size);
      if (ReadVint(q, after, type) && type == 1) encrypted = true;
      x = after;
    }
    if (b.Flags & 0x10) {  // goes on in the next volume
      if (!FSpan) {
        FSpan = true;
        FSpanOffset = pos;
        T.SpanPacked = 0;
      }
      T.SpanPacked = SatAdd(T.SpanPacked, int64_t(b.DataSize));
      if (!NextVolume()) return T.EndWalk();
      return;
    }
    if (FSpan && (b.Flags & 0x08)) {
      T.SpanPacked = SatAdd(T.SpanPacked, int64_t(b.DataSize));
      e.Offset = FSpanOffset;
    } else {
      T.SpanPacked = int64_t(b.DataSize);
      e.Offset = pos;
    }
    FSpan = false;
    const bool dir = (fileFlags & 1) != 0;
    const uint32_t attr32 = uint32_t(host == 0 ? attr : (dir ? 0x10 : 0x20));
    e.IsDirectory = dir;
    if (dir && !e.Name.empty() && e.Name.back() != '\\') e.Name += '\\';
    e.Date = mtime ? UnixDateToDateTime(int32_t(mtime)) : ArcNullDate;
    e.PackedSize = T.SpanPacked;
    e.UnpackedSize = unpacked > uint64_t(INT64_MAX) ? -1 : int64_t(unpacked);
    e.CRC = crc;
    e.Encrypted = encrypted;
    const uint8_t method = uint8_t(0x30 + ((comp >> 7) & 7));
    e.MethodID = method;
    e.MethodName = T.GetCompressMethodName(method, 0, dir ? 0x10 : attr32);
    e.InternalAttr = 32;
    e.ExternalAttr = attr32;
    e.VolumeID = (FMainFlags & 0x01) ? ArcExtractFileName(T.CurrentVolume()) : std::string();
    T.OfferEntry(e);
    T.Cursor = b.Next;
  }

  // The marker and main header at Start; the cursor goes behind them.
  bool ReadMain(int64_t Start, bool First) {
    uint8_t m[20] = {};
    const int32_t got = T.ReadAt(Start, m, 20);
    if (got >= 7 && std::memcmp(m, "Rar!\x1a\x07\x00", 7) != 0) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      return false;
    }
    if (got < 20) T.RaiseArchiveError(T.CurrentVolume(), "", "0", errReadingFile);
    const uint8_t* h = m + 7;
    const int size = Get16(h + 5);
    if (h[2] != 0x73 || size < 13) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errBadFileHeader);
      return false;
    }
    if (First) {
      FMainFlags = Get16(h + 3);
      if (size > 13) T.ArchiveComment = "Archive Comment encrypted...";
    }
    // Encrypted headers cannot be walked without the password.
    if (Get16(h + 3) & 0x80) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", errPasswordProtected);
      return false;
    }
    T.Cursor = Start + 7 + size;
    return true;
  }

  uint16_t FMainFlags = 0;
  bool FRar5 = false;
  bool FSpan = false;  // an entry continues from the previous volume
  int64_t FSpanOffset = 0;
};

// ---- tar -------------------------------------------------------------------------------------

class TTarWalker : public TArcDirWalker {
public:
  TTarWalker(TTravik& Owner) : TArcDirWalker(Owner), FIn(Owner) {}
  void SetUp() override {
    T.HeaderLength = 512;
    T.Cursor = T.ArcStartOffset - 1;
  }
  void Step() override {
    TTarEntry t;
    const TTarStep step = TarNextEntry(FIn, T.HeaderPos - 1, t);
    if (step == tsEnd) return T.EndWalk();
    TListEntry e;
    e.Name = ArchiveNameToAnsi(t.H.Name);
    if (step != tsEntry) {
      T.ReportArchiveError(e.Name.empty() ? T.CurrentVolume() : e.Name, "", "0",
                           step == tsTruncated ? errReadingFile : errBadFileHeader);
      return T.EndWalk();
    }
    e.Offset = t.HeaderPos;
    e.PackedSize = e.UnpackedSize = t.H.Size;
    e.Date = UnixDateToDateTime(static_cast<int32_t>(t.H.MTime));
    e.CRC = t.H.Checksum;
    e.MethodName = "Stored";
    if (!t.IsDirectory && TarIsFile(t.H.Type)) {
      T.OfferEntry(e);
    } else {
      T.FileName = e.Name;
      if (T.OnReadFile) T.OnReadFile(&T, T.FileName);
    }
    T.Cursor = t.Next;
  }

private:
  TTravikInput FIn;
};

// ---- UU and XX -------------------------------------------------------------------------------

class TUueWalker : public TArcDirWalker {
public:
  using TArcDirWalker::TArcDirWalker;
  void SetUp() override {
    T.HeaderLength = 0;
    T.Cursor = 0;
  }
  void Step() override {
    T.EndWalk();
    int32_t got = 0;
    const auto b = ReadBlock(T, 0, static_cast<int32_t>(std::min<int64_t>(T.EndLimit, 32768)), &got);
    const std::string text(reinterpret_cast<const char*>(b.data()), static_cast<size_t>(got));
    // The header lines as the reader searches them.
    size_t at = 0;
    std::string stored;
    TUuLineKind kind = ulOther;
    for (int n = 0; n < UuHeaderLines && at < text.size() && kind != ulBegin; ++n) {
      size_t eol = text.find('\n', at);
      if (eol == std::string::npos) eol = text.size();
      std::string line = text.substr(at, eol - at);
      line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
      kind = UuHeaderLine(line, &stored);
      if (kind == ulBase64)
        return T.ReportArchiveError(T.CurrentVolume(), "base64", "0", errUnsupportedMethod);
      if (kind != ulBegin) at = eol + 1;
    }
    if (kind != ulBegin || stored.empty()) return;
    TListEntry e;
    e.Name = UuEntryName(stored);
    e.Always = true;
    e.Date = DosDateToDateTime(static_cast<uint32_t>(T.ArcDate));
    e.PackedSize = e.UnpackedSize = T.ArcFileSize;
    e.InternalAttr = e.ExternalAttr = 32;
    e.Offset = static_cast<int64_t>(at);
    T.OfferEntry(e);
  }
};

// ---- ZIP -----------------------------------------------------------------------------------

class TZipWalker : public TArcDirWalker {
public:
  TZipWalker(TTravik& Owner) : TArcDirWalker(Owner), FIn(Owner) {}
  void SetUp() override {
    T.HeaderLength = ZipCentralSize;
    T.EndWalk();
    const uint32_t sfx = T.Engine.SfxStartOffset;
    const int64_t embedded = sfx > 0 && T.ArcStartOffset - 1 == sfx ? int64_t(sfx) : 0;
    if (const int err = ZipFindDirectory(FIn, embedded, FDir))
      return T.ReportArchiveError(T.CurrentVolume(), "", "0", err);
    if (FDir.CommentLen != 0) T.ReadComment(T.ArchiveComment, FDir.CommentPos, FDir.CommentLen);
    if (FDir.CentralPos >= FDir.CentralEnd) return;  // no entries
    T.Cursor = FDir.CentralPos;
    T.EndLimit = T.ArcFileSize;
  }

  void Step() override {
    // The header and the entry are kept from step to step, so that their strings' buffers
    // serve every name: a long directory is walked without an allocation per entry.
    TZipCentral& h = FHead;
    const int got = ZipReadCentral(FIn, T.HeaderPos - 1, FDir.CentralEnd, h);
    if (got < 0 || (got == 0 && h.StoredName.empty())) return T.EndWalk();
    if (got > 0) {  // a damaged header: told, and the walk goes on behind it
      T.ReportArchiveError(h.Name.empty() ? T.CurrentVolume() : h.Name, "", "0", got);
      T.Cursor = h.NextPos;
      return;
    }
    TListEntry& e = FEntry;
    e.Name.assign(h.Name);
    e.Comment.clear();
    e.DeflateOption = -1;
    if (h.CommentLen != 0) T.ReadComment(e.Comment, h.CommentPos, h.CommentLen);
    e.IsDirectory = h.IsDirectory;
    e.Counted = !e.IsDirectory;
    e.Date = DosDateToDateTime(h.DosTime);
    e.Version = h.MadeBy;
    e.VersionNeeded = h.Needed;
    e.PackedSize = h.PackedSize;
    e.UnpackedSize = h.UnpackedSize;
    e.CRC = h.Crc;
    e.Encrypted = h.Encrypted();
    e.MethodID = h.Method;
    e.MethodName = T.GetCompressMethodName(e.MethodID, h.Flags, h.ExternalAttr);
    e.InternalAttr = h.InternalAttr;
    e.ExternalAttr = h.ExternalAttr;
    if (h.Flags > 1) {
      if ((h.Flags & 6) == 6)
        e.DeflateOption = 6;
      else if (h.Flags & 4)
        e.DeflateOption = 4;
      else if (h.Flags & 2)
        e.DeflateOption = 2;
    }
    e.Offset = h.LocalOffset;
    T.OfferEntry(e);
    T.Cursor = h.NextPos;
  }

private:
  TTravikInput FIn;
  TZipDirectory FDir;
  TZipCentral FHead;
  TListEntry FEntry;
};

// ---- ZOO -----------------------------------------------------------------------------------

class TZooWalker : public TArcDirWalker {
public:
  TZooWalker(TTravik& Owner) : TArcDirWalker(Owner), FIn(Owner) {}
  void SetUp() override {
    T.HeaderLength = 10;
    TZooArchive a;
    if (const int err = ZooReadArchive(FIn, T.ArcStartOffset - 1, a)) {
      T.ReportArchiveError(T.CurrentVolume(), "", "0", err);
      return T.EndWalk();
    }
    if (a.CommentLen != 0) T.ReadComment(T.ArchiveComment, a.CommentPos, a.CommentLen);
    T.Cursor = a.FirstEntry;
  }
  void Step() override {
    TZooEntry z;
    const TZooStep step = ZooReadEntry(FIn, T.HeaderPos - 1, z);
    if (step == zsEnd) return T.EndWalk();
    if (step != zsEntry) return T.EndWalk(step == zsTruncated ? errReadingFile : errBadFileHeader);
    // Deleted entries (older versions the archive keeps) are listed like the others.
    TListEntry e;
    if (z.CommentLen != 0) T.ReadComment(e.Comment, z.CommentPos, z.CommentLen);
    e.Name = ZooEntryName(z);
    e.Offset = z.HeaderPos;
    e.Date = DosDateToDateTime(SwapWords(z.DateTime));
    e.Version = z.Version;
    e.VersionNeeded = z.VersionNeeded;
    e.PackedSize = z.PackedSize;
    e.UnpackedSize = z.OrigSize;
    e.CRC = z.Crc;
    e.MethodID = uint16_t(z.Method);
    e.MethodName = T.GetCompressMethodName(e.MethodID);
    e.InternalAttr = e.ExternalAttr = 32;
    T.OfferEntry(e);
    T.Cursor = z.Next;
  }

private:
  TTravikInput FIn;
};

// ---- The method table ------------------------------------------------------------------------

const char* Pick(uint16_t Id, std::initializer_list<const char*> Names) {
  return Id < Names.size() ? Names.begin()[Id] : nullptr;
}

}  // namespace

std::string CompressMethodNameOf(TArcType Kind, uint16_t MethodID, uint32_t Flags, uint32_t Attr) {
  const char* n = nullptr;
  switch (Kind) {
    case atARC:
    case atArcExe:
      n = Pick(MethodID, {nullptr, "Stored", "Stored", "Packed", "Squeezed", "crunched", "crunched", "crunched",
                          "Crunched", "Squashed", "Pack10", "Pack11", "Pack12"});
      return n ? n : MethodID == 30 ? "Dir" : "Unknown";
    case atPAK:
    case atPakExe:
      n = Pick(MethodID, {nullptr, "Stored", "Stored", "RLE", "Squeezed", "FIXEDLEN", "FIXEDLEN", "FIXEDLEN",
                          "VARIBLE", "VARIBLE", "Crushed", "Distill"});
      return n ? n : "Unknown";
    case atARJ:
    case atArjExe:
      n = Pick(MethodID, {"Stored", "Most", "2nd Most", "2nd Fast", "Fastest"});
      return n ? n : Flags == 3 ? "Dir" : "Unknown";
    case atBH:
    case atBHExe:
      n = Pick(MethodID, {"Stored", "Fused", "Deflate"});
      return n ? n : "Unknown";
    case atCAB:
      n = Pick(MethodID & 0x0F, {"Stored", "MsZIP", "Quantum", "Lzx"});
      return n ? n : "Unknown";
    case atGZip:
      switch (MethodID) {
        case 0x8B1F: case 0x9E1F: return "Deflate";
        case 0xA01F: return "LzhMAGIC";
        case 0x9D1F: return "LzwMAGIC";
        case 0x1E1F: return "PackMAGIC";
        case 0: return "Stored";
        default: return "Unknown";
      }
    case atHA:
      switch (MethodID) {
        case 0: return "Cpy";
        case 1: return "Asc";
        case 2: return "HSC";
        case 14: return "Dir";
        case 15: return "Special";
        default: return "";
      }
    case atLHA:
    case atLhaExe:
    case atLZH:
    case atLzhExe:
      if (MethodID == '0') return "Stored";
      if (MethodID >= '1' && MethodID <= '6') return "Frozen-" + std::string(1, char(MethodID));
      return "Unknown";
    case atRAR:
    case atRarExe:
      n = MethodID >= '0' ? Pick(MethodID - '0', {"Stored", "Fastest", "Fast", "Normal", "Good", "Best"}) : nullptr;
      return n ? n : (Attr & 0x10) ? "Dir" : "Unknown";
    case atZIP:
    case atZipExe:
    case atZip250:
    case atZip250Exe:
      if (MethodID == 8) {
        switch (Flags & 6) {
          case 6: return "DeflateS";
          case 4: return "DeflateF";
          case 2: return "DeflateX";
          default: return "DeflateN";
        }
      }
      n = Pick(MethodID, {"Stored", "Shrunk", "Reduce-1", "Reduce-2", "Reduce-3", "Reduce-4", "Imploded", "Tokened"});
      return n ? n : (Attr & 0x10) ? "Dir" : "Unknown";
    case atZOO:
      n = Pick(MethodID, {"Stored", "Fastest", "Greatest"});
      return n ? n : "Unknown";
    case atTAR:
      return "Stored";
    default:
      return "";
  }
}

std::unique_ptr<TArcDirWalker> MakeArcDirWalker(TArcType Kind, TTravik& Owner) {
  switch (Kind) {
    case atARC: case atArcExe: return std::make_unique<TArcWalker>(Owner, false);
    case atPAK: case atPakExe: return std::make_unique<TArcWalker>(Owner, true);
    case atARJ: case atArjExe: return std::make_unique<TArjWalker>(Owner);
    case atBH: case atBHExe: return std::make_unique<TBhWalker>(Owner);
    case atCAB: return std::make_unique<TCabWalker>(Owner);
    case atGZip: return std::make_unique<TGzipWalker>(Owner);
    case atHA: return std::make_unique<THaWalker>(Owner);
    case atLHA: case atLhaExe: case atLZH: case atLzhExe: return std::make_unique<TLhaWalker>(Owner);
    case atRAR: case atRarExe: return std::make_unique<TRarWalker>(Owner);
    case atTAR: return std::make_unique<TTarWalker>(Owner);
    case atUUE: return std::make_unique<TUueWalker>(Owner);
    case atZIP: case atZipExe: case atZip250: case atZip250Exe: return std::make_unique<TZipWalker>(Owner);
    case atZOO: return std::make_unique<TZooWalker>(Owner);
    default: return nullptr;
  }
}

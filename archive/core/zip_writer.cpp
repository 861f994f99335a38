#include "archive/core/zip_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/core/deflate.h"
#include "archive/core/zip_crypt.h"
#include "archive/core/le_bytes.h"

std::function<bool(const std::string& OldName, const std::string& NewName)> ZipRenameFile =
    [](const std::string& OldName, const std::string& NewName) { return RenameFile(OldName, NewName); };

namespace {

constexpr uint32_t kLocalSig = 0x04034B50, kCentralSig = 0x02014B50, kEndSig = 0x06054B50,
                   kDescriptorSig = 0x08074B50;
constexpr int kLocalSize = 30, kCentralSize = 46, kEndSize = 22;
constexpr int64_t kMaxZip32 = 0xFFFFFFFFll;  // sizes and offsets above need ZIP64
constexpr int kBlock = 32768;
constexpr int kMaxDepth = 64;                  // folders deeper than this are not searched
constexpr uint16_t kVersion = 2;               // "version made by" and "needed" of new entries
constexpr uint32_t kNullDosDate = 0x00210000;  // 1 January 1980, for files without a DOS date

using le::Get16;
using le::Get32;
using le::Get64;
using le::Put16;
using le::Put32;

// An old archive that cannot be taken apart safely.
class EZipLayout : public Exception {
public:
  explicit EZipLayout(const std::string& Msg) : Exception(Msg) {}
};

// One entry of the archive being built: an entry of the old archive or a file added now.
class TZipEntry : public TCompObject {
public:
  std::string Name;    // Windows name with '\' (the list key)
  std::string Stored;  // as written in the archive: DOS code page, '/'
  uint16_t Flags = 0;
  uint32_t Crc = 0;
  int64_t NewOffset = 0;  // of the local header in the new archive
  // Old entries.
  std::vector<uint8_t> Central;  // central record with name, extra field and comment
  int64_t Span = 0;              // local header, data and data descriptor
  bool Kept = false;
  // New entries.
  std::string Source;
};

// The output of a run: the temporary archive, written through one buffer.
class TZipOut {
public:
  TZipOut(TZip& Owner, TStream& S) : FOwner(Owner), FS(S), FBuf(65536) {}

  int64_t Position() const { return FFlushed + int64_t(FCount); }

  void Write(const void* P, size_t N) {
    const uint8_t* b = static_cast<const uint8_t*>(P);
    while (N > 0) {
      if (FCount == FBuf.size()) Flush();
      const size_t n = std::min(N, FBuf.size() - FCount);
      std::memcpy(FBuf.data() + FCount, b, n);
      FCount += n;
      b += n;
      N -= n;
    }
  }

  void Flush() {
    if (FCount == 0) return;
    if (FS.Write(FBuf.data(), int(FCount)) != int(FCount)) Fail();
    FFlushed += int64_t(FCount);
    FCount = 0;
  }

  // Rewrites bytes already written (a local header once its sizes are known).
  void WriteAt(int64_t Pos, const void* P, size_t N) {
    Flush();
    if (FS.Seek(Pos, soFromBeginning) != Pos || FS.Write(P, int(N)) != int(N)) Fail();
    if (FS.Seek(FFlushed, soFromBeginning) != FFlushed) Fail();
  }

  // Drops everything from Pos on (an entry that could not be stored).
  void Truncate(int64_t Pos) {
    Flush();
    try {
      FS.SetSize(Pos);
    } catch (const Exception&) {
      Fail();
    }
    if (FS.Seek(Pos, soFromBeginning) != Pos) Fail();
    FFlushed = Pos;
  }

private:
  [[noreturn]] void Fail() { FOwner.RaiseArchiveError(FOwner.FileName, "", "0", errWritingFile); }

  TZip& FOwner;
  TStream& FS;
  std::vector<uint8_t> FBuf;
  size_t FCount = 0;
  int64_t FFlushed = 0;
};

// A name for a new file in Folder that no file has yet.
std::string UnusedNameIn(const std::string& Folder, const std::string& Ext) {
  static const char hex[] = "0123456789abcdef";
  for (;;) {
    uint8_t r[4];
    ArcRandomBytes(r, sizeof r);
    std::string name = Folder + "zx";
    for (uint8_t b : r) name += hex[b >> 4], name += hex[b & 15];
    name += Ext;
    if (!FileExists(name) && !DirectoryExists(name)) return name;
  }
}

// Whether Path still is the file that was stored: same size and date.
bool UnchangedSince(const std::string& Path, int64_t Size, int32_t DosDate) {
  TSearchRec rec;
  if (FindFirst(Path, faAnyFile & ~faDirectory & ~faVolumeID, rec) != 0) return false;
  FindClose(rec);
  return rec.Size == Size && rec.Time == DosDate;
}

}  // namespace

struct TZip::TRun {
  std::string Archive;   // full name of the archive
  std::string TempName;  // the new archive while it is built
  bool IsNew = true;
  bool KeepTemp = false;
  bool Activated = false;

  std::unique_ptr<TFileStream> Old;
  std::vector<std::unique_ptr<TZipEntry>> OldEntries;  // in central-directory order
  TStringList OldList;                                 // name -> entry
  std::vector<uint8_t> Comment;                        // of the old archive
  int64_t StubSize = 0;                                // bytes before the first entry

  std::unique_ptr<TFileStream> OutFile;
  std::unique_ptr<TZipOut> Out;
  std::string AddedName;  // the entries added in this run, before they follow the kept ones
  std::unique_ptr<TFileStream> AddedFile;
  std::unique_ptr<TZipOut> Added;
  std::vector<std::unique_ptr<TZipEntry>> NewEntries;
  TStringList NewList;
  std::vector<uint8_t> Buf = std::vector<uint8_t>(kBlock);

  TRun() {
    OldList.SetSorted(true);
    OldList.SetDuplicates(dupAccept);
    NewList.SetSorted(true);
    NewList.SetDuplicates(dupAccept);
  }
};

// ---- The component -----------------------------------------------------------------------

TZip::TZip(TComponent* AOwner) : TCompBase(AOwner) {
  AllowedMethods = {cmStore, cmDeflate};
  FCompressMethod = cmDeflate;
  SetDeflateType(dtDeflateN);
  FArcType = atZIP;
}

TZip::~TZip() = default;

const TClassInfo* TZip::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TZip, TCompBase>("TZip")
          .Prop("ArcType", &TZip::ArcType, &TZip::SetArcType)
          // The getter fills a blank folder in: a property read may do that.
          .Prop("DefaultDir", [](const TZip& Z) { return const_cast<TZip&>(Z).DefaultDir(); }, &TZip::SetDefaultDir)
          .Prop("DefaultExt", &TZip::DefaultExt, &TZip::SetDefaultExt)
          .Prop("DeflateType", &TZip::DeflateType, &TZip::SetDeflateType)
          .Prop("CompressMethod", &TZip::CompressMethod, &TZip::SetCompressMethod)
          .Prop("Password", &TZip::Password, &TZip::SetPassword)
          .Prop("ProgressNotify", &TZip::ProgressNotify, &TZip::SetProgressNotify)
          .Prop("Switch", &TZip::Switch, &TZip::SetSwitch)
          .Prop("StoredDirNames", &TZip::StoredDirNames, &TZip::SetStoredDirNames)
          .Prop("FileSpec", &TZip::FileSpec, &TZip::SetFileSpec)
          .Prop("RecurseDirs", &TZip::RecurseDirs, &TZip::SetRecurseDirs)
          .Prop("OnNonWriteableArchive", &TZip::OnNonWriteableArchive)
          .Prop("OnProgress", &TZip::OnProgress)
          .Prop("OnGetPassword", &TZip::OnGetPassword)
          .Prop("OnBegin", &TZip::OnBegin)
          .Prop("OnEnd", &TZip::OnEnd)
          .Prop("OnRead", &TZip::OnRead)
          .Prop("OnRecurseDir", &TZip::OnRecurseDir)
          .Prop("OnReplaceFile", &TZip::OnReplaceFile)
          .Build();
  return &Info;
}

void TZip::SetArchiveFile(const std::string& Value) {
  std::string name = Trim(Value);
  if (!name.empty() && ArcExtractFileExt(name).empty()) name += "." + FDefaultExt;
  TCompBase::SetArchiveFile(name);
}

void TZip::SetArcType(TArcType) { FArcType = atZIP; }

void TZip::SetDefaultExt(const std::string& Value) {
  FDefaultExt = Trim(Value).empty() ? std::string("ZIP") : Trim(Value);
  if (!FArchiveFile.empty()) SetArchiveFile(FArchiveFile);
}

void TZip::SetDeflateType(TDeflateType Value) {
  FDeflateType = Value;
  switch (Value) {
    case dtDeflateF: FLevel = 2; break;
    case dtDeflateN: FLevel = 7; break;
    case dtDeflateX: FLevel = 9; break;
    case dtDeflateS: break;
  }
}

// ---- Listing ------------------------------------------------------------------------------

namespace {

// The end record in the last 64 KB and 22 bytes of a stream (a comment is at most
// 65535 bytes): its position and its 22 bytes. False when there is none.
bool FindEndRecord(TStream& S, int64_t& Pos, uint8_t Rec[kEndSize]) {
  const int64_t size = S.Size();
  if (size < kEndSize) return false;
  const int64_t window = std::min<int64_t>(size, 65535 + kEndSize);
  std::vector<uint8_t> tail(static_cast<size_t>(window));
  S.Seek(size - window, soFromBeginning);
  if (S.Read(tail.data(), int(window)) != int(window)) return false;
  for (int64_t i = window - kEndSize; i >= 0; --i) {
    const uint8_t* p = tail.data() + i;
    // The comment must end within the file.
    if (Get32(p) == kEndSig && i + kEndSize + Get16(p + 20) <= window) {
      Pos = size - window + i;
      std::memcpy(Rec, p, kEndSize);
      return true;
    }
  }
  return false;
}

// The number every offset of the archive is off by: the bytes of a self-extractor stub
// that its directory does not count (0 when its offsets are the file's own).
int64_t OffsetBase(int64_t EndPos, const uint8_t End[kEndSize]) {
  const int64_t base = EndPos - int64_t(Get32(End + 12)) - int64_t(Get32(End + 16));
  return base > 0 ? base : 0;
}

}  // namespace

bool TZip::ReadFirstHeader(std::string& FN, TStream* Stream, bool Central) {
  uint8_t end[kEndSize];
  int64_t endPos = 0;
  if (Stream == nullptr || !FindEndRecord(*Stream, endPos, end)) return false;
  EntryCount = Get16(end + 10);
  RemainingEntries = EntryCount - 1;
  if (EntryCount == 0) return false;
  const int64_t base = OffsetBase(endPos, end);
  FHeaderPos = int64_t(Get32(end + 16)) + base;
  uint8_t first[kCentralSize];
  Stream->Seek(FHeaderPos, soFromBeginning);
  if (Stream->Read(first, kCentralSize) != kCentralSize || Get32(first) != kCentralSig) return false;
  FFirstLocal = int64_t(Get32(first + 42)) + base;
  if (!Central) FHeaderPos = FFirstLocal;
  return ReadHeader(FN, Stream, Central);
}

bool TZip::ReadHeader(std::string& FN, TStream* Stream, bool Central) {
  const int size = Central ? kCentralSize : kLocalSize;
  if (Stream == nullptr || Stream->Seek(FHeaderPos, soFromBeginning) != FHeaderPos) return false;
  if (Stream->Read(FHeader, size) != size || Get32(FHeader) != (Central ? kCentralSig : kLocalSig)) return false;
  FHeaderCentral = Central;
  const int nameLen = Get16(FHeader + (Central ? 28 : 26));
  std::string name(size_t(nameLen), '\0');
  if (nameLen > 0 && Stream->Read(name.data(), nameLen) != nameLen) return false;
  FStoredName = name;
  FN = OemToAnsiName(name);
  if (Central)
    FHeaderPos += size + nameLen + Get16(FHeader + 30) + Get16(FHeader + 32);
  else  // the sizes of the local header: a walk meant for archives without data descriptors
    FHeaderPos += size + nameLen + Get16(FHeader + 28) + int64_t(Get32(FHeader + 18));
  return true;
}

void TZip::FillEntryInfo() {
  const uint8_t* h = FHeader;
  const int d = FHeaderCentral ? 2 : 0;  // the central header has "version made by" first
  FileName = OemToAnsiName(FStoredName);
  Version = Get16(h + 4);  // made by (central) or needed (local)
  VersionNeeded = Get16(h + 4 + d);
  const uint16_t flags = Get16(h + 6 + d);
  CompressMethodID = Get16(h + 8 + d);
  const uint32_t dos = Get32(h + 10 + d);
  if (int32_t(dos) > 0) Date = ConvertDate(dos);
  CRC = Get32(h + 14 + d);
  PackedSize = Get32(h + 18 + d);
  UnpackedSize = Get32(h + 22 + d);
  Encrypted = (flags & 1) != 0;
  InternalAttr = FHeaderCentral ? Get16(h + 36) : 0;
  ExternalAttr = FHeaderCentral ? Get32(h + 38) : 0;
  static const char* const names[] = {"Stored",   "Shrunk",   "Reduce-1", "Reduce-2",
                                      "Reduce-3", "Reduce-4", "Imploded", "Tokened"};
  if (CompressMethodID < 8)
    CompressMethodName = names[CompressMethodID];
  else if (CompressMethodID == 8)
    CompressMethodName = FLevel <= 2 ? "DeflateF" : FLevel >= 9 ? "DeflateX" : "DeflateN";
  else
    CompressMethodName = "Unknown";
  Ratio = CalcRatio(PackedSize, UnpackedSize);
  TotalPackedSize += PackedSize;
  TotalUnpackedSize += UnpackedSize;
}

// ---- Execute ------------------------------------------------------------------------------

bool TZip::Execute() {
  FArchiveFile = Trim(FArchiveFile);
  if (FArchiveFile.empty()) return false;
  Engine.ActiveComponent = this;
  TArcEngineScope Scope(Engine);  // progress and messages of this run reach it
  if (FSwitch == swRead) {
    try {
      ReadEntries();
    } catch (const Exception& e) {
      ReportArchiveError(FArchiveFile, e.Message(), "0", errStreamReadWrite);
      return false;
    }
    return true;
  }
  if (FFileSpecList->Count() == 0) return false;

  TRun r;
  r.Archive = ExpandFileName(FArchiveFile);
  r.IsNew = !FileExists(r.Archive);
  if (!r.IsNew && !IsWriteableFile(r.Archive)) {
    if (!OnNonWriteableArchive) {
      ReportArchiveError(FArchiveFile, "", "0", errWritingFile);
      return false;
    }
    bool writeToFile = false;
    OnNonWriteableArchive(this, FArchiveFile, writeToFile);
    if (!writeToFile) return false;
    if (FileSetAttr(r.Archive, faArchive) != 0) {
      ReportArchiveError(FArchiveFile, "", "0", errWritingFile);
      return false;
    }
  }
  if (FSwitch == swDelete && r.IsNew) {
    ReportArchiveError(FArchiveFile, "", "0", errNothingToDo);
    return false;
  }

  // The end of every run, also when an error leaves it.
  struct TEnd {
    TZip& Z;
    TRun& R;
    ~TEnd() {
      if (R.Activated && Z.OnElapsedTime) {
        Z.Timer.Stop();
        Z.OnElapsedTime(&Z, Z.Timer.ElapsedSeconds());
      }
      R.Out.reset();
      R.OutFile.reset();
      R.Added.reset();
      R.AddedFile.reset();
      R.Old.reset();
      if (!R.TempName.empty() && !R.KeepTemp) DeleteFile(R.TempName);
      if (!R.AddedName.empty()) DeleteFile(R.AddedName);
      if (R.Activated && Z.OnDeactivate) Z.OnDeactivate(&Z);
    }
  } end{*this, r};
  return RunUpdate(r);
}

bool TZip::RunUpdate(TRun& R) {
  if (!R.IsNew) {
    try {
      LoadOldArchive(R);
    } catch (const Exception& e) {
      ReportArchiveError(FArchiveFile, e.Message(), "0", errStreamReadWrite);
      return false;
    }
  }
  R.TempName = UnusedNameIn(ArcExtractFilePath(R.Archive), ".tmp");
  try {
    R.OutFile = std::make_unique<TFileStream>(R.TempName, fmCreate);
  } catch (const Exception& e) {
    R.TempName.clear();
    ReportArchiveError(FArchiveFile, e.Message(), "0", errOpeningFile);
    return false;
  }
  R.Out = std::make_unique<TZipOut>(*this, *R.OutFile);

  InstallProgress();
  Cancel = false;
  R.Activated = true;
  if (OnActivate) OnActivate(this);
  if (OnElapsedTime) Timer.Start();

  // A self-extractor's stub stays in front.
  for (int64_t pos = 0; pos < R.StubSize;) {
    const int n = int(std::min<int64_t>(R.StubSize - pos, kBlock));
    R.Old->Seek(pos, soFromBeginning);
    R.Old->ReadBuffer(R.Buf.data(), n);
    R.Out->Write(R.Buf.data(), size_t(n));
    pos += n;
  }

  if (FSwitch == swDelete) {
    const int walk = DeleteEntries(R);
    if (walk <= 0) return walk == 0;
  } else {
    // The added entries go to a second file: the kept old ones come first in the archive.
    R.AddedName = UnusedNameIn(ArcExtractFilePath(R.Archive), ".tmp");
    try {
      R.AddedFile = std::make_unique<TFileStream>(R.AddedName, fmCreate);
    } catch (const Exception& e) {
      R.AddedName.clear();
      ReportArchiveError(FArchiveFile, e.Message(), "0", errOpeningFile);
      return false;
    }
    R.Added = std::make_unique<TZipOut>(*this, *R.AddedFile);
    std::swap(R.Out, R.Added);
    for (int i = 0; i < FFileSpecList->Count() && !Cancel; ++i) {
      if (ArcProcessMessages) ArcProcessMessages();
      if (Cancel) break;
      AddFileMask(R, FFileSpecList->Strings(i));
    }
    std::swap(R.Out, R.Added);
    R.Added->Flush();
    if (R.NewEntries.empty()) {
      ReportArchiveError(FArchiveFile, "", "0", errNothingToDo);
      return false;
    }
    for (auto& e : R.OldEntries) e->Kept = R.NewList.IndexOf(e->Name) < 0;
  }
  CopyOldEntries(R);
  if (R.Added) AppendAddedEntries(R);
  WriteCentralDirectory(R);
  R.Out->Flush();
  R.Out.reset();
  R.OutFile.reset();
  R.Old.reset();
  if (!ReplaceArchive(R)) return false;
  AfterReplace(R);
  return true;
}

void TZip::LoadOldArchive(TRun& R) {
  R.Old = std::make_unique<TFileStream>(R.Archive, fmOpenRead | fmShareDenyWrite);
  TFileStream& f = *R.Old;
  uint8_t end[kEndSize];
  int64_t endPos = 0;
  if (!FindEndRecord(f, endPos, end)) throw EZipLayout("not a ZIP archive");
  const uint16_t count = Get16(end + 10);
  const uint32_t cdSize = Get32(end + 12), cdOffset = Get32(end + 16);
  if (Get16(end + 4) != 0 || Get16(end + 6) != 0 || Get16(end + 8) != count)
    throw EZipLayout("a multi-volume archive");
  if (count == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF) throw EZipLayout("a ZIP64 archive");
  const int64_t cdStart = endPos - int64_t(cdSize);
  if (cdStart < 0) throw EZipLayout("bad central directory");
  const int64_t base = OffsetBase(endPos, end);
  R.Comment.resize(Get16(end + 20));
  if (!R.Comment.empty()) {
    f.Seek(endPos + kEndSize, soFromBeginning);
    f.ReadBuffer(R.Comment.data(), int64_t(R.Comment.size()));
  }

  std::vector<uint8_t> cd(cdSize);
  f.Seek(cdStart, soFromBeginning);
  if (cdSize > 0) f.ReadBuffer(cd.data(), cdSize);
  R.StubSize = cdStart;
  size_t p = 0;
  for (int i = 0; i < count; ++i) {
    if (p + kCentralSize > cd.size() || Get32(&cd[p]) != kCentralSig) throw EZipLayout("bad central directory");
    const uint8_t* c = &cd[p];
    const size_t len = kCentralSize + size_t(Get16(c + 28)) + Get16(c + 30) + Get16(c + 32);
    if (p + len > cd.size()) throw EZipLayout("bad central directory");
    auto e = std::make_unique<TZipEntry>();
    e->Central.assign(c, c + len);
    e->Flags = Get16(c + 8);
    e->Method = Get16(c + 10);
    e->DosDate = Get32(c + 12);
    e->Crc = Get32(c + 16);
    e->CompressedSize = Get32(c + 20);
    e->UncompressedSize = Get32(c + 24);
    e->CommentLength = Get16(c + 32);
    e->ExtraLength = Get16(c + 30);
    e->ExternalAttr = Get32(c + 38);
    e->CentralPos = cdStart + int64_t(p);
    if (Get32(c + 20) == 0xFFFFFFFF || Get32(c + 24) == 0xFFFFFFFF || Get32(c + 42) == 0xFFFFFFFF)
      throw EZipLayout("a ZIP64 archive");
    e->LocalHeaderOffset = int64_t(Get32(c + 42)) + base;
    e->Stored.assign(reinterpret_cast<const char*>(c + kCentralSize), Get16(c + 28));
    e->Name = OemToAnsiName(e->Stored);
    p += len;

    // Where the entry ends: after its data and, with flag bit 3, its data descriptor,
    // which comes with or without a signature and with 4- or 8-byte sizes.
    uint8_t local[kLocalSize];
    f.Seek(e->LocalHeaderOffset, soFromBeginning);
    if (e->LocalHeaderOffset + kLocalSize > cdStart || f.Read(local, kLocalSize) != kLocalSize ||
        Get32(local) != kLocalSig)
      throw EZipLayout("bad local header");
    int64_t span = kLocalSize + Get16(local + 26) + Get16(local + 28) + e->CompressedSize;
    if (e->Flags & 8) {
      uint8_t d[24] = {};
      f.Seek(e->LocalHeaderOffset + span, soFromBeginning);
      const int got = f.Read(d, int(std::min<int64_t>(24, cdStart - e->LocalHeaderOffset - span)));
      const bool sig = got >= 4 && Get32(d) == kDescriptorSig;
      const uint8_t* q = sig ? d + 4 : d;
      const int avail = sig ? got - 4 : got;
      int len32 = avail >= 12 && Get32(q) == e->Crc && Get32(q + 4) == e->CompressedSize &&
                          Get32(q + 8) == e->UncompressedSize
                      ? 12
                      : 0;
      if (len32 == 0 && avail >= 20 && Get32(q) == e->Crc && Get64(q + 4) == uint64_t(e->CompressedSize) &&
          Get64(q + 12) == uint64_t(e->UncompressedSize))
        len32 = 20;
      if (len32 == 0) throw EZipLayout("bad data descriptor");
      span += len32 + (sig ? 4 : 0);
    }
    if (e->LocalHeaderOffset + span > cdStart) throw EZipLayout("bad local header");
    e->Span = span;
    R.StubSize = std::min(R.StubSize, e->LocalHeaderOffset);
    R.OldList.AddObject(e->Name, e.get());
    R.OldEntries.push_back(std::move(e));
  }
}

// ---- Adding -------------------------------------------------------------------------------

void TZip::AddFileMask(TRun& R, const std::string& Spec) {
  const std::string pattern = SlashToBackslash(Spec);
  std::string folder = ArcExtractFilePath(pattern);
  std::string mask = ArcExtractFileName(pattern);
  if (mask.empty()) mask = "*.*";
  const std::string def = DefaultDir();
  if (folder.empty()) {
    if (!DirectoryExists(def)) return;
    folder = def;
  } else if (folder.find(':') == std::string::npos && folder.rfind("\\\\", 0) != 0) {
    // Rooted: on the drive of DefaultDir; relative: inside DefaultDir.
    if (folder[0] == '\\')
      folder = (def.size() >= 2 && def[1] == ':' ? def.substr(0, 2) : std::string()) + folder;
    else
      folder = def + folder;
  }
  folder = AddBackslash(ExpandFileName(folder));
  if (!DirectoryExists(folder)) RaiseArchiveError(folder, "", "0", errInvalidDirectory);
  BaseDir = folder;
  // A folder named without a mask goes in with its files (and, recursing, everything under
  // it) under its own name: "dir" stores "dir/a.txt", so that two folders holding a file of
  // the same name keep both and the folder is there again on extraction.
  if (FRecurseDirs && mask.find_first_of("*?") == std::string::npos && DirectoryExists(folder + mask)) {
    SearchFolder(R, folder + mask + "\\", "*.*", 0);
    return;
  }
  SearchFolder(R, folder, mask, 0);
}

void TZip::SearchFolder(TRun& R, const std::string& Folder, const std::string& Mask, int Depth) {
  const int attr = FFileAttribute->Attr();
  TSearchRec rec;
  if (FindFirst(Folder + Mask, attr, rec) == 0) {
    do {
      if (Cancel) break;
      if (rec.Attr & faDirectory) continue;
      if (!(attr & faArchive) && (rec.Attr & faAnyFile) == faArchive) continue;
      AddFile(R, Folder + rec.Name, rec);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  if (!FRecurseDirs || Cancel) return;
  std::vector<std::string> subs;
  if (FindFirst(Folder + "*", attr | faDirectory, rec) == 0) {
    do {
      // Links to folders are not followed: they may lead back up the tree.
      if ((rec.Attr & faDirectory) && !(rec.Attr & faSymLink) && !rec.Name.empty() && rec.Name[0] != '.')
        subs.push_back(rec.Name);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  for (const std::string& sub : subs) {
    if (Cancel) break;
    const std::string dir = Folder + sub + "\\";
    if (Depth + 1 > kMaxDepth) {
      ReportArchiveError(dir, "", "0", errTooManyNestedDirs);
      continue;
    }
    if (OnRecurseDir) OnRecurseDir(this, dir);
    SearchFolder(R, dir, Mask, Depth + 1);
  }
}

void TZip::AddFile(TRun& R, const std::string& Path, const TSearchRec& Rec) {
  // The archive never takes itself or the archive being built.
  const std::string full = ExpandFileName(Path);
  if (AnsiSameText(full, R.Archive) || AnsiSameText(full, R.TempName) || AnsiSameText(full, R.AddedName)) return;
  if (!ProcessFileName(full)) return;
  const std::string name = FileName;
  const int32_t dosDate = Rec.Time > 0 ? Rec.Time : int32_t(kNullDosDate);
  const int attr = Rec.Attr & faAnyFile;
  if (!CheckReplace(false, &R.OldList, name, Rec.Size, dosDate, attr, true)) return;
  // The same name twice in one run (the same file reached through two file masks, or
  // bare names from several folders) is stored once.
  if (!CheckReplace(false, &R.NewList, name, Rec.Size, dosDate, attr, false)) return;
  FileName = full;
  if (Rec.Size >= kMaxZip32) {
    ReportArchiveError(full, "4 GB", "0", errWritingFile);
    return;
  }
  std::unique_ptr<TFileStream> src;
  try {
    src = std::make_unique<TFileStream>(full, fmOpenRead | fmShareDenyNone);
  } catch (const Exception& e) {
    ReportArchiveError(full, e.Message(), "0", errOpeningFile);
    return;
  }
  bool extract = true;
  if (OnBegin) OnBegin(this, full, int(R.NewEntries.size()) + 1, extract);
  if (!extract) return;

  auto e = std::make_unique<TZipEntry>();
  e->Name = name;
  e->Stored = BackslashToSlash(AnsiToOemName(name));
  e->Source = full;
  e->Attr = attr;
  e->ExternalAttr = uint32_t(attr);
  e->FileDate = Rec.Time;  // as the search saw it, to know the file again before a move deletes it
  e->DosDate = uint32_t(dosDate);
  e->FileSize = Rec.Size;
  e->NewOffset = R.Out->Position();
  if (e->NewOffset > kMaxZip32 || e->Stored.size() > 0xFFFF) RaiseArchiveError(full, "4 GB", "0", errWritingFile);

  const bool encrypt = !FPassword.empty() && Rec.Size > 0;
  uint8_t local[kLocalSize] = {};
  Put32(local, kLocalSig);
  Put16(local + 4, kVersion);
  Put16(local + 6, encrypt ? 1 : 0);
  Put16(local + 8, FCompressMethod == cmDeflate ? 8 : 0);
  Put32(local + 10, uint32_t(dosDate));
  Put32(local + 22, uint32_t(Rec.Size));
  Put16(local + 26, uint32_t(e->Stored.size()));
  R.Out->Write(local, kLocalSize);
  R.Out->Write(e->Stored.data(), e->Stored.size());

  auto readBlock = [&](void* Buf, int32_t Count) {
    const int n = FileRead(src->Handle(), Buf, Count);
    if (n < 0) RaiseArchiveError(full, "", "0", errReadingFile);
    return int32_t(n);
  };

  // With a password the header's check byte is the CRC's high byte, so the CRC comes
  // first, in a pass of its own.
  uint32_t firstCrc = 0xFFFFFFFF;
  int64_t firstSize = 0;
  const int64_t dataStart = R.Out->Position();
  if (encrypt) {
    for (int32_t n; (n = readBlock(R.Buf.data(), kBlock)) > 0;) {
      UpdateCrc32(R.Buf.data(), size_t(n), firstCrc);
      firstSize += n;
    }
    uint8_t header[ZipCryptHeaderSize];
    MakeCryptHeader(FPassword, ~firstCrc, header);
    R.Out->Write(header, ZipCryptHeaderSize);
    src->Seek(0, soFromBeginning);
  }

  uint32_t crc = 0xFFFFFFFF;
  int64_t size = 0;
  uint16_t method = 0;
  if (Rec.Size > 0 && FCompressMethod == cmDeflate) {
    TDeflateIO io;
    io.Read = [&](void* Buf, int32_t Count) {
      const int32_t n = readBlock(Buf, Count);
      UpdateCrc32(Buf, size_t(n), crc);
      size += n;
      return n;
    };
    io.Write = [&](const void* Buf, int32_t Count) { R.Out->Write(Buf, size_t(Count)); };
    io.Progress = [](uint8_t Percent) { ArcReportProgress(Percent); };
    io.InputSize = Rec.Size;
    io.ProgressStep = ProgressStepFor(Rec.Size);
    ProgressStep = io.ProgressStep;
    Deflate(io, encrypt, FLevel);
    method = io.Stored ? 0 : 8;
  } else if (Rec.Size > 0) {
    ArcReportProgress(0);
    for (int32_t n; (n = readBlock(R.Buf.data(), kBlock)) > 0;) {
      UpdateCrc32(R.Buf.data(), size_t(n), crc);
      size += n;
      if (encrypt) EncryptBuffer(R.Buf.data(), size_t(n));
      R.Out->Write(R.Buf.data(), size_t(n));
    }
    ArcReportProgress(100);
  }
  crc = size > 0 ? ~crc : 0;
  const int64_t packed = R.Out->Position() - dataStart;
  // A file that changed while it was read twice would not match its encryption header:
  // it is left out, and an entry of that name in the old archive stays.
  const bool crcPass = !encrypt || (~firstCrc == crc && firstSize == size);
  if (!crcPass || size >= kMaxZip32 || R.Out->Position() > kMaxZip32) {
    R.Out->Truncate(e->NewOffset);
    if (crcPass)
      ReportArchiveError(full, "4 GB", "0", errWritingFile);
    else
      ReportArchiveError(full, "", "0", errCrcCheck);
    if (OnEnd) OnEnd(this, full, false);
    return;
  }
  e->Flags = encrypt ? 1 : 0;
  e->Method = method;
  e->Crc = crc;
  e->CompressedSize = packed;
  e->UncompressedSize = size;
  Put16(local + 6, e->Flags);
  Put16(local + 8, method);
  Put32(local + 14, crc);
  Put32(local + 18, uint32_t(packed));
  Put32(local + 22, uint32_t(size));
  R.Out->WriteAt(e->NewOffset, local, kLocalSize);

  R.NewList.AddObject(name, e.get());
  R.NewEntries.push_back(std::move(e));
  if (OnEnd) OnEnd(this, full, true);
}

// ---- Deleting -----------------------------------------------------------------------------

int TZip::DeleteEntries(TRun& R) {
  int dropped = 0;
  bool passwordFailed = false;
  std::string lastGood = FPassword;
  for (auto& e : R.OldEntries) e->Kept = true;
  for (size_t i = 0; i < R.OldEntries.size(); ++i) {
    TZipEntry& e = *R.OldEntries[i];
    if (ArcProcessMessages) ArcProcessMessages();
    if (Cancel) break;
    std::string pattern;
    for (int s = 0; s < FFileSpecList->Count() && pattern.empty(); ++s)
      if (MatchFileSpec(e.Name, FFileSpecList->Strings(s), false)) pattern = FFileSpecList->Strings(s);
    if (pattern.empty()) continue;
    if (e.Flags & 1) {
      // An encrypted entry goes only with its password.
      uint8_t buf[2 * ZipCryptHeaderSize];
      uint8_t local[kLocalSize];
      try {
        R.Old->Seek(e.LocalHeaderOffset, soFromBeginning);
        R.Old->ReadBuffer(local, kLocalSize);
        R.Old->Seek(e.LocalHeaderOffset + kLocalSize + Get16(local + 26) + Get16(local + 28), soFromBeginning);
        R.Old->ReadBuffer(buf + ZipCryptHeaderSize, ZipCryptHeaderSize);
      } catch (const Exception& x) {
        RaiseArchiveError(FArchiveFile, x.Message(), "0", errStreamReadWrite);
      }
      FileName = e.Name;
      if (!TryZipPasswords(*this, buf, e.Flags, e.Crc, e.DosDate, lastGood)) {
        if (!OnGetPassword) ReportArchiveError(e.Name, "OnGetPassword", "0", errEventNotAssigned);
        passwordFailed = true;
        break;
      }
    }
    // OnBegin is told of each entry deleted; its answer does not keep it.
    bool extract = true;
    if (OnBegin) OnBegin(this, pattern, int(i) + 1, extract);
    e.Kept = false;
    ++dropped;
    if (OnEnd) OnEnd(this, pattern, true);
  }
  if (passwordFailed || dropped == 0) {
    ReportArchiveError(FArchiveFile, "", "0", errNothingToDo);
    return -1;
  }
  if (dropped == int(R.OldEntries.size())) {
    // Nothing is left: the archive goes.
    R.Old.reset();
    if (!DeleteFile(R.Archive)) {
      ReportArchiveError(FArchiveFile, "", "0", errWritingFile);
      return -1;
    }
    SetArchiveFile("");
    return 0;
  }
  return 1;
}

// ---- Writing the archive ------------------------------------------------------------------

void TZip::CopyOldEntries(TRun& R) {
  for (auto& e : R.OldEntries) {
    if (!e->Kept) continue;
    if (ArcProcessMessages) ArcProcessMessages();
    e->NewOffset = R.Out->Position();
    if (e->NewOffset > kMaxZip32) RaiseArchiveError(FArchiveFile, "4 GB", "0", errWritingFile);
    R.Old->Seek(e->LocalHeaderOffset, soFromBeginning);
    for (int64_t left = e->Span; left > 0;) {
      const int n = int(std::min<int64_t>(left, kBlock));
      try {
        R.Old->ReadBuffer(R.Buf.data(), n);
      } catch (const Exception& x) {
        RaiseArchiveError(FArchiveFile, x.Message(), "0", errStreamReadWrite);
      }
      R.Out->Write(R.Buf.data(), size_t(n));
      left -= n;
    }
  }
}

void TZip::AppendAddedEntries(TRun& R) {
  const int64_t base = R.Out->Position();
  const int64_t size = R.Added->Position();
  R.AddedFile->Seek(0, soFromBeginning);
  for (int64_t left = size; left > 0;) {
    const int n = int(std::min<int64_t>(left, kBlock));
    try {
      R.AddedFile->ReadBuffer(R.Buf.data(), n);
    } catch (const Exception& x) {
      RaiseArchiveError(FArchiveFile, x.Message(), "0", errStreamReadWrite);
    }
    R.Out->Write(R.Buf.data(), size_t(n));
    left -= n;
  }
  for (auto& e : R.NewEntries) {
    e->NewOffset += base;
    if (e->NewOffset > kMaxZip32) RaiseArchiveError(FArchiveFile, "4 GB", "0", errWritingFile);
  }
}

void TZip::WriteCentralDirectory(TRun& R) {
  const int64_t start = R.Out->Position();
  size_t count = 0;
  for (auto& e : R.OldEntries) {
    if (!e->Kept) continue;
    std::vector<uint8_t> c = e->Central;
    Put32(c.data() + 42, uint32_t(e->NewOffset));
    R.Out->Write(c.data(), c.size());
    ++count;
  }
  for (auto& e : R.NewEntries) {
    uint8_t c[kCentralSize] = {};
    Put32(c, kCentralSig);
    Put16(c + 4, kVersion);
    Put16(c + 6, kVersion);
    Put16(c + 8, e->Flags);
    Put16(c + 10, e->Method);
    Put32(c + 12, e->DosDate);
    Put32(c + 16, e->Crc);
    Put32(c + 20, uint32_t(e->CompressedSize));
    Put32(c + 24, uint32_t(e->UncompressedSize));
    Put16(c + 28, uint32_t(e->Stored.size()));
    Put32(c + 38, e->ExternalAttr);
    Put32(c + 42, uint32_t(e->NewOffset));
    R.Out->Write(c, kCentralSize);
    R.Out->Write(e->Stored.data(), e->Stored.size());
    ++count;
  }
  const int64_t size = R.Out->Position() - start;
  if (count > 0xFFFF || start > kMaxZip32 || size > kMaxZip32)
    RaiseArchiveError(FArchiveFile, "ZIP64", "0", errWritingFile);
  uint8_t end[kEndSize] = {};
  Put32(end, kEndSig);
  Put16(end + 8, uint32_t(count));
  Put16(end + 10, uint32_t(count));
  Put32(end + 12, uint32_t(size));
  Put32(end + 16, uint32_t(start));
  Put16(end + 20, uint32_t(R.Comment.size()));
  R.Out->Write(end, kEndSize);
  R.Out->Write(R.Comment.data(), R.Comment.size());
}

// The new archive takes the old one's place. The old one is first renamed aside, so that
// at every moment one of the two is whole under a known name: when the new one cannot
// take the name, the old one gets it back and the new one stays as it is.
bool TZip::ReplaceArchive(TRun& R) {
  if (R.IsNew || !FileExists(R.Archive)) {
    if (ZipRenameFile(R.TempName, R.Archive)) {
      R.TempName.clear();
      return true;
    }
  } else {
    const std::string aside = UnusedNameIn(ArcExtractFilePath(R.Archive), ".bak");
    if (ZipRenameFile(R.Archive, aside)) {
      if (ZipRenameFile(R.TempName, R.Archive)) {
        R.TempName.clear();
        DeleteFile(aside);
        return true;
      }
      if (!ZipRenameFile(aside, R.Archive)) {
        // The old archive stays whole under the other name; say where.
        R.KeepTemp = true;
        ReportArchiveError(FArchiveFile, aside, "0", errWritingFile);
        return false;
      }
    }
  }
  R.KeepTemp = true;
  ReportArchiveError(FArchiveFile, R.TempName, "0", errWritingFile);
  return false;
}

void TZip::AfterReplace(TRun& R) {
  if (OnRead) {
    int index = 0;
    for (auto& e : R.OldEntries) index += e->Kept ? 1 : 0;
    for (auto& e : R.NewEntries) {
      FileName = e->Name;
      PackedSize = e->CompressedSize;
      UnpackedSize = e->UncompressedSize;
      CRC = e->Crc;
      Encrypted = (e->Flags & 1) != 0;
      CompressMethodID = e->Method;
      CompressMethodName = e->Method == 0 ? "Stored" : FLevel <= 2 ? "DeflateF" : FLevel >= 9 ? "DeflateX" : "DeflateN";
      Date = ConvertDate(e->DosDate);
      Version = VersionNeeded = kVersion;
      InternalAttr = 0;
      ExternalAttr = e->ExternalAttr;
      Ratio = CalcRatio(PackedSize, UnpackedSize);
      OnRead(this, int(e->NewOffset), ++index);
    }
  }
  if (FSwitch != swMove) return;
  // Only what this run stored, and only when it is still the file that was stored.
  for (auto& e : R.NewEntries) {
    if (!UnchangedSince(e->Source, e->UncompressedSize, e->FileDate)) continue;
    if (FileGetAttr(e->Source) & faReadOnly) FileSetAttr(e->Source, faArchive);
    if (!DeleteFile(e->Source)) ReportArchiveError(e->Source, "", "0", errWritingFile);
  }
}

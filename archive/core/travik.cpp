#include "archive/core/travik.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "archive/core/arc_directory.h"
#include "classlib/core/sys_utils.h"

namespace {
constexpr int32_t BufSize = 32768;
constexpr int MaxZString = 256;
constexpr int MaxComment = 2500;
}  // namespace

TTravik::TTravik(TComponent* AOwner) : TZipCommon(AOwner) {
  FFileSpec = "*.*";
  SetZipCmntBufSize(2000);
  FShowBlankDirs = false;
}

TTravik::~TTravik() = default;

const TClassInfo* TTravik::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTravik, TZipCommon>("TTravik")
                                     .Prop("ArcType", &TZipCommon::ArcType, &TZipCommon::SetArcType)
                                     .Prop("FileSpec", &TZipCommon::FileSpec, &TZipCommon::SetFileSpec)
                                     .Prop("ZipCmntBufSize", &TZipCommon::ZipCmntBufSize, &TZipCommon::SetZipCmntBufSize)
                                     .Prop("ShowBlankDirs", &TTravik::ShowBlankDirs, &TTravik::SetShowBlankDirs)
                                     .Prop("OnActivate", &TZipCommon::OnActivate)
                                     .Prop("OnDeactivate", &TZipCommon::OnDeactivate)
                                     .Prop("OnNextVolume", &TZipCommon::OnNextVolume)
                                     .Prop("OnRead", &TZipCommon::OnRead)
                                     .Prop("OnReadFile", &TTravik::OnReadFile)
                                     .Prop("OnReadBegin", &TTravik::OnReadBegin)
                                     .Prop("OnReadEnd", &TTravik::OnReadEnd)
                                     .Prop("OnTotals", &TTravik::OnTotals)
                                     .Build();
  return &Info;
}

// ---- Reading --------------------------------------------------------------------------------

int32_t TTravik::ReadAt(int64_t Pos, void* Buf, int32_t Count) {
  if (Count <= 0 || Pos < 0 || !ArcFile.IsOpen()) return 0;
  auto* out = static_cast<uint8_t*>(Buf);
  int32_t done = 0;
  try {
    while (done < Count) {
      const int64_t p = Pos + done;
      if (p >= FBufPos && p < FBufPos + FBufLen) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(Count - done, FBufPos + FBufLen - p));
        std::memcpy(out + done, FBuf.data() + (p - FBufPos), static_cast<size_t>(n));
        done += n;
        continue;
      }
      ArcFile.Seek(p);
      if (Count - done >= BufSize) {  // large reads bypass the buffer
        done += std::max(ArcFile.Read(out + done, Count - done), 0);
        break;
      }
      FBuf.resize(BufSize);
      FBufPos = p;
      FBufLen = std::max(ArcFile.Read(FBuf.data(), BufSize), 0);
      if (FBufLen == 0) break;
    }
  } catch (const EInOutError& e) {
    InvalidateBuffer();
    RaiseArchiveError(CurrentVolume(), e.Message(), "0", errReadingFile);
  }
  return done;
}

std::string TTravik::ReadCountedName(int Len) {
  if (Len <= 0) return std::string();
  std::string s(static_cast<size_t>(Len), '\0');
  const int32_t got = ReadAt(Cursor, s.data(), Len);
  Cursor += Len;
  s.resize(static_cast<size_t>(got));
  const size_t z = s.find('\0');
  if (z != std::string::npos) s.resize(z);
  return s;
}

std::string TTravik::ReadZString() {
  char b[MaxZString];
  const int32_t got = ReadAt(Cursor, b, MaxZString);
  const void* z = std::memchr(b, 0, static_cast<size_t>(got));
  const size_t len = z ? static_cast<const char*>(z) - b : static_cast<size_t>(got);
  Cursor += static_cast<int64_t>(len) + 1;
  return std::string(b, len);
}

void TTravik::ReadComment(std::string& Text, int64_t Pos, int Len) {
  Text.clear();
  const int64_t left = std::max<int64_t>(EndLimit - Pos, 0);
  const int32_t want = static_cast<int32_t>(std::min<int64_t>(Len > 0 ? Len : MaxComment, left));
  if (want <= 0 || Pos < 0) return;
  std::string s(static_cast<size_t>(want), '\0');
  const int32_t got = ReadAt(Pos, s.data(), want);
  s.resize(static_cast<size_t>(got));
  const size_t z = s.find('\0');
  if (z != std::string::npos) s.resize(z);
  Text = s;
  if (got == want) Cursor = Pos + (Len > 0 ? Len : static_cast<int64_t>(s.size()) + 1);
}

void TTravik::AddTotals(int64_t Packed, int64_t Unpacked) {
  TotalPackedSize = SatAdd(TotalPackedSize, Packed);
  TotalUnpackedSize = SatAdd(TotalUnpackedSize, Unpacked);
}

std::string TTravik::GetCompressMethodName(uint16_t MethodID, uint32_t Flags, uint32_t Attr) const {
  return CompressMethodNameOf(FArcType, MethodID, Flags, Attr);
}

// ---- Entries and volumes --------------------------------------------------------------------

void TTravik::OfferEntry(const TListEntry& E) {
  FileName = E.Name;
  if (OnReadFile) OnReadFile(this, FileName);
  const bool selected = E.Always || (E.IsDirectory && FShowBlankDirs) || MatchFileSpec(FileName, FFileSpec, false);
  if (!selected) return;
  if (E.Counted) {
    ++RecNum;
    AddTotals(E.PackedSize, E.UnpackedSize);
  }
  PackedSize = E.PackedSize;
  UnpackedSize = E.UnpackedSize;
  Ratio = CalcRatio(E.PackedSize, E.UnpackedSize);
  CRC = E.CRC;
  Encrypted = E.Encrypted;
  CompressMethodID = E.MethodID;
  CompressMethodName = E.MethodName;
  Date = E.Date;
  Version = E.Version;
  VersionNeeded = E.VersionNeeded;
  InternalAttr = E.InternalAttr;
  ExternalAttr = E.ExternalAttr;
  if (E.DeflateOption >= 0) DeflateOption = static_cast<uint8_t>(E.DeflateOption);
  EntryComment = E.Comment;
  VolumeID = E.VolumeID;
  if (OnRead) {
    if (OnReadBegin) OnReadBegin(this);
    OnRead(this, static_cast<int>(E.Offset), RecNum);
    if (OnReadEnd) OnReadEnd(this);
  }
}

void TTravik::EndWalk(int ECode) {
  ReportArchiveError(CurrentVolume(), "", "0", ECode);
  EndWalk();
}

bool TTravik::SwitchVolume(std::string Name, const std::string& VolumeText) {
  if (!GetNextVolume(Name, VolumeText)) return false;
  InvalidateBuffer();
  if (!CloseFileChecked(ArcFile)) RaiseArchiveError(CurrentVolume(), "", "0", errClosingFile);
  FVolumeName = Name;
  if (!OpenInFile(ArcFile, Name)) RaiseArchiveError(Name, "", "0", errReadingFile);
  try {
    EndLimit = ArcFile.Size();
  } catch (const EInOutError& e) {
    RaiseArchiveError(Name, e.Message(), "0", errReadingFile);
  }
  Cursor = 0;
  ++VolumeSerial;
  return true;
}

// ---- The run --------------------------------------------------------------------------------

bool TTravik::Activate() {
  Engine.ActiveComponent = this;
  TArcEngineScope Scope(Engine);  // progress and messages of this run reach it
  SetCancel(false);
  if (FArchiveFile.empty()) return false;
  bool result = false;
  try {
    if (!OnRead) RaiseArchiveError(FArchiveFile, "OnRead", "0", errEventNotAssigned);
    if (FArcType == atNA || FArcType == atUnknown) RaiseArchiveError(FArchiveFile, "", "0", errUnknownFileType);
    if (FArcType == atFileOpenErr) RaiseArchiveError(FArchiveFile, "", "0", errHeaderId);
    result = true;
    bool timerStarted = false;
    try {
      RecNum = 0;
      TotalPackedSize = TotalUnpackedSize = 0;
      FVolumeName.clear();
      VolumeID.clear();
      if ((FArcType == atARJ || FArcType == atCAB) && !FindFileExists(FArchiveFile)) {
        ParseVolumeExt(FArchiveFile);
        std::string name = FArchiveFile;
        if (!GetNextVolume(name, std::to_string(Volume.VolumeNumber))) {
          Cleanup(false);
          return result;
        }
        SetArchiveFile(name);
      }
      if (!OpenInFile(ArcFile, FArchiveFile)) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
      InvalidateBuffer();
      try {
        ArcFileSize = ArcFile.Size();
      } catch (const EInOutError& e) {
        RaiseArchiveError(FArchiveFile, e.Message(), "0", errReadingFile);
      }
      EndLimit = ArcFileSize;
      if (OnActivate) OnActivate(this);
      ArchiveComment.clear();
      FWalker = MakeArcDirWalker(FArcType, *this);
      Cursor = EndLimit;
      if (FWalker) FWalker->SetUp();
      if (OnElapsedTime) {
        Timer.Start();
        timerStarted = true;
      }
      Walk();
      if (timerStarted) Timer.Stop();
      if (OnTotals) {
        TotalRatio = CalcRatio(TotalPackedSize, TotalUnpackedSize);
        OnTotals(this, RecNum);
      }
    } catch (...) {
      if (timerStarted) Timer.Stop();
      Cleanup(timerStarted);
      throw;
    }
    Cleanup(timerStarted);
  } catch (const E_RAISE&) {
    result = false;  // OnError has been told
  } catch (...) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Not an archive error: a fault of a walker (or a handler) that the fuzzer must see.
    std::abort();
#endif
    result = false;
  }
  return result;
}

void TTravik::Walk() {
  while (FWalker && Cursor + HeaderLength < EndLimit && !Cancel) {
    if (ArcProcessMessages) ArcProcessMessages();
    const int64_t at = Cursor;
    const int serial = VolumeSerial;
    HeaderPos = at + 1;
    std::memset(Header, 0, sizeof Header);
    HeaderRead = ReadAt(at, Header, HeaderLength);
    Cursor = at + HeaderRead;
    FWalker->Step();
    EntryComment.clear();
    // A damaged archive may point back at a header already read: stop rather than go round.
    if (VolumeSerial == serial && Cursor <= at && Cursor < EndLimit) EndWalk(errBadFileHeader);
  }
}

void TTravik::Cleanup(bool TimerStarted) {
  ArchiveComment.clear();
  FWalker.reset();
  Cursor = EndLimit = 0;
  HeaderLength = 0;
  HeaderPos = 1;
  SpanPacked = SpanUnpacked = 0;
  InvalidateBuffer();
  FBuf.clear();
  FBuf.shrink_to_fit();
  try {
    if (OnDeactivate) OnDeactivate(this);
  } catch (...) {
    ArcFile.Close();
    FVolumeName.clear();
    throw;
  }
  const std::string name = CurrentVolume();
  if (ArcFile.IsOpen() && !CloseFileChecked(ArcFile)) ReportArchiveError(name, "", "0", errClosingFile);
  FVolumeName.clear();
  if (OnElapsedTime) {
    if (!TimerStarted) Timer.Start();
    OnElapsedTime(this, Timer.ElapsedSeconds());
  }
}

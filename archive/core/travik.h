// The archive lister: walks the headers of an archive of any kind the engine recognises,
// without extracting anything, and reports every entry that passes FileSpec through
// OnRead with the entry's fields filled in. The kinds' header layouts and steps are in
// arc_directory.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/core/arc_base.h"

class TArcDirWalker;

// A + B, held at the largest value instead of overflowing (sums of sizes a damaged
// archive gives).
inline int64_t SatAdd(int64_t A, int64_t B) {
  constexpr int64_t Max = INT64_MAX;
  if (B > 0 && A > Max - B) return Max;
  if (B < 0 && A < -Max - B) return -Max;
  return A + B;
}

// One entry as a kind's walker read it, before the selection decides whether it reaches
// the component's entry fields.
struct TListEntry {
  std::string Name;          // converted for display, folders joined with '\'
  int64_t PackedSize = 0, UnpackedSize = 0;
  uint32_t CRC = 0;
  bool Encrypted = false;
  uint16_t MethodID = 0;
  std::string MethodName;
  TDateTime Date = ArcNullDate;
  uint16_t Version = 0, VersionNeeded = 0;
  uint16_t InternalAttr = 0;
  uint32_t ExternalAttr = 0;
  int DeflateOption = -1;    // -1 leaves the field as it is
  std::string Comment;       // the entry comment, empty for none
  std::string VolumeID;
  int64_t Offset = 0;        // for OnRead
  bool IsDirectory = false;  // the kind's directory test (ShowBlankDirs)
  bool Counted = true;       // False: reported without counting or totals (ZIP folders)
  bool Always = false;       // reported without the FileSpec test (gzip family, UU/XX)
};

class TTravik : public TZipCommon {
public:
  explicit TTravik(TComponent* AOwner);
  ~TTravik() override;
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  bool ShowBlankDirs() const { return FShowBlankDirs; }
  void SetShowBlankDirs(bool Value) { FShowBlankDirs = Value; }

  // Lists ArchiveFile. False when it is empty or an error ended the run; errors reach the
  // caller only through OnError.
  bool Activate();

  TOnReadFile OnReadFile;             // every entry name met, before the selection
  TNotifyEvent OnReadBegin, OnReadEnd;  // around each OnRead
  TOnTotals OnTotals;                 // once after the walk

  // ---- The lister's further entry fields.
  uint8_t DeflateOption = 0;  // ZIP: 6, 4 or 2 from flag bits 1-2
  std::string ArchiveComment;  // empty when there is none; cleared at the end of Activate
  std::string EntryComment;    // valid inside OnRead only
  std::string VolumeID;        // name part of the volume being read, for volume sets
  uint8_t TotalRatio = 0;

  // ---- The walk, for the kinds' walkers (arc_directory).
  // Up to Count bytes at Pos of the current volume, through a block buffer; fewer at the
  // end of the file. A system error raises 25236.
  int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count);
  // Len bytes at the cursor (which moves on by Len); the text up to the first zero byte.
  std::string ReadCountedName(int Len);
  // Up to 256 bytes at the cursor; the text up to the first zero byte; the cursor moves
  // past it and its zero byte.
  std::string ReadZString();
  // Text of Len bytes at Pos (Len 0: zero-terminated, at most 2500 bytes), clipped to the
  // file; the cursor moves past what was read.
  void ReadComment(std::string& Text, int64_t Pos, int Len);
  void AddTotals(int64_t Packed, int64_t Unpacked);
  // The method text of the current kind (Flags: ZIP general-purpose flags, ARJ file
  // type; Attr: the entry's attributes).
  std::string GetCompressMethodName(uint16_t MethodID, uint32_t Flags = 0, uint32_t Attr = 0) const;

  // An entry read: FileName, OnReadFile, the selection, then the count, the totals, the
  // entry fields and OnReadBegin / OnRead / OnReadEnd for a selected one.
  void OfferEntry(const TListEntry& E);
  // Ends the walk.
  void EndWalk() { Cursor = EndLimit; }
  // Ends the walk with error ECode reported (not raised).
  void EndWalk(int ECode);
  // Opens volume Name in place of the current one (asked for through GetNextVolume with
  // VolumeText). False when the user refused; a close or open failure raises.
  bool SwitchVolume(std::string Name, const std::string& VolumeText);
  // The file being read: ArchiveFile or the current volume.
  const std::string& CurrentVolume() const { return FVolumeName.empty() ? FArchiveFile : FVolumeName; }

  int64_t Cursor = 0;    // 0-based position of the next header
  int64_t EndLimit = 0;  // the size of the current volume
  int HeaderLength = 0;  // fixed part read at each step
  uint8_t Header[512] = {};
  int32_t HeaderRead = 0;          // bytes of Header read (the rest is zero)
  int64_t SpanPacked = 0, SpanUnpacked = 0;  // an entry that spans volumes
  int VolumeSerial = 0;            // goes up with every volume opened

private:
  void Walk();
  void Cleanup(bool TimerStarted);
  void InvalidateBuffer() { FBufLen = 0; }

  bool FShowBlankDirs = false;
  std::unique_ptr<TArcDirWalker> FWalker;
  std::string FVolumeName;
  std::vector<uint8_t> FBuf;
  int64_t FBufPos = 0;
  int32_t FBufLen = 0;
};

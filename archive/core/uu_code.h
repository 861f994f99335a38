// UU and XX encoding. TUUDecode restores the one file held in a UU- or XX-encoded text
// (also with an alphabet of its own in "table" lines), following it across numbered part
// files; TUUEncode writes such a text, split into parts of a given size when asked.
// Lines carry up to 45 bytes as 60 characters after a length character; the data lie
// between a "begin <mode> <name>" line and an "end" line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/core/arc_base.h"
#include "archive/core/uu_header.h"

// The name of part Number of Name. nvChangeExt: the digits take the end of a three-letter
// extension (X.UUE gives X.UU1, X.U12, X.123) or follow a name without one.
// nvChangeFilename: the base name, cut to 8 - digits characters with LongNames and
// otherwise shortened by the number of digits, gets the digits before its extension.
std::string MakePartName(const std::string& Name, int Number, TNextVolumeName Rule, bool LongNames);

class TUUDecode : public TUnBase {
public:
  explicit TUUDecode(TComponent* AOwner);
  ~TUUDecode() override;
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // Lines searched for the "begin" line.
  int MaxHeaderLines() const { return FMaxHeaderLines; }
  void SetMaxHeaderLines(int Value) { FMaxHeaderLines = Value; }
  TNextVolumeName NextVolumeName() const { return FNextVolumeName; }
  void SetNextVolumeName(TNextVolumeName Value) { FNextVolumeName = Value; }
  bool VolumeLongFilenames() const { return FVolumeLongFilenames; }
  void SetVolumeLongFilenames(bool Value) { FVolumeLongFilenames = Value; }
  // The number of the first part; the first part after it gets this number + 1.
  uint8_t VolumeStartNum() const { return FVolumeStartNum; }
  void SetVolumeStartNum(uint8_t Value) { FVolumeStartNum = Value > 10 ? 10 : Value; }

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  struct TRun;  // the lines read and the alphabet of the current run
  std::unique_ptr<TRun> FRun;
  int FMaxHeaderLines = UuHeaderLines;
  TNextVolumeName FNextVolumeName = nvChangeExt;
  bool FVolumeLongFilenames = false;
  uint8_t FVolumeStartNum = 0;
};

class TUUEncode : public TCompBase {
public:
  explicit TUUEncode(TComponent* AOwner);
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Loaded() override;

  // ArchiveFile is the file to encode.
  const std::string& OutFilename() const { return FOutFilename; }
  // A name gets the extension ".enc" in place of everything from its first '.'.
  void SetOutFilename(const std::string& Value);
  // Kilobytes per part (16 lines each); 0 writes one file.
  int KBytesPerVolume() const { return FKBytesPerVolume; }
  void SetKBytesPerVolume(int Value) { FKBytesPerVolume = Value; }
  bool WriteTableToFile() const { return FWriteTableToFile; }
  void SetWriteTableToFile(bool Value) { FWriteTableToFile = Value; }

  TOnNonWriteableArchive OnNonWriteableArchive;

  // Encodes ArchiveFile into OutFilename (and its parts) with CompressMethod, cmUUEncode
  // or cmXXEncode. True when it was written; errors raise after OnError.
  bool Execute() override;

private:
  void Encode();

  std::string FOutFilename;
  int FKBytesPerVolume = 0;
  bool FWriteTableToFile = false;
  TNextVolumeName FPartRule = nvChangeExt;
  bool FPartLongNames = true;
};

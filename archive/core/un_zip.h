// The ZIP reader (plain and self-extracting archives) and TUnSFX, which names the plain
// archive inside a self-extractor.
#pragma once

#include <memory>

#include <cstdint>
#include <string>

#include "archive/core/arc_base.h"
#include "archive/core/zip_format.h"

class TUnZIP : public TUnBase {
public:
  explicit TUnZIP(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool PrepareEntry(TArcEntry& Entry, bool& StopRun) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  TZipDirectory FDir;         // where the central directory stands, and the offset base
  std::unique_ptr<TBufferedArcInput> FIn;  // the directory's headers, read in blocks
  int64_t FPos = 0;           // the next central header
  TZipCentral FHdr;           // the current entry's central header
  uint8_t FLocal[ZipLocalSize] = {};  // and its local header
  std::string FLastPassword;  // the last password that passed in this run
};

class TUnSFX : public TZipCommon {
public:
  explicit TUnSFX(TComponent* AOwner) : TZipCommon(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // A self-extractor's name: recognised, and OutFilename named after its kind.
  void SetArchiveFile(const std::string& Value) override;
  const std::string& OutFilename() const { return FOutFilename; }
  void SetOutFilename(const std::string& Value);

private:
  std::string FOutFilename;
};

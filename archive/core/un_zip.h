// The ZIP reader (plain and self-extracting archives) and TUnSFX, which names the plain
// archive inside a self-extractor.
#pragma once

#include <cstdint>
#include <string>

#include "archive/core/arc_base.h"

class TUnZIP : public TUnBase {
public:
  explicit TUnZIP(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override;

private:
  // The end record: where it stands and the central directory it describes.
  struct TEndRecord {
    int64_t Pos = 0;
    uint32_t CentralSize = 0, CentralOffset = 0;
  };
  // The last end record in the archive's last 64 KB and 22 bytes (a comment is at most
  // 65535 bytes long).
  bool FindEndRecord(TEndRecord& End);
  // The first central header within the last 32 KB; Pos is set to it.
  bool FindFirstCentralHeader(int64_t& Pos);
  // Whether a central header stands at Pos whose local header is found with Base.
  bool CentralAt(int64_t Pos, int64_t Base);
  // One entry whose central header stands at Pos; False ends the run.
  bool ExtractEntry(const uint8_t* Central, const std::string& StoredName);

  int64_t FBase = 0;         // added to every offset stored in the archive
  std::string FLastPassword;  // the last password that passed in this run
  bool FStopRun = false;
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

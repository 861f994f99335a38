// The ZIP reader (plain and self-extracting archives) and TUnSFX, which names the plain
// archive inside a self-extractor.
#pragma once

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

private:
  // One entry; False ends the run.
  bool ExtractEntry(const TZipCentral& H);

  TZipDirectory FDir;         // where the central directory stands, and the offset base
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

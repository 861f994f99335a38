// The ARJ reader: the first header found (also behind a self-extractor), header CRC-32
// checks, stored folders made, methods 0 (stored), 1-3 (static Huffman) and 4 (fast), entries continued over
// volumes through OnNextVolume. Garbled (encrypted) entries and unknown methods are told and
// passed over.
#pragma once

#include <string>

#include "archive/core/arc_base.h"
#include "archive/core/arj_header.h"

class TUnARJ : public TUnBase {
public:
  explicit TUnARJ(TComponent* AOwner) : TUnBase(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

protected:
  void ExtractIt() override;
  void ReadArchiveHeader() override;
  TEntryStep ReadEntryHeader(TArcEntry& Entry) override;
  bool DecodeEntry(TArcEntry& Entry) override;

private:
  // The header at Pos; every fault is raised, named by the entry as far as read. For a file
  // header the end mark gives a header with DataPos 0.
  TArjHeader ArjHeaderAt(int64_t Pos, bool Main);
  // The main header found from Start on (errUnsupportedArcType when there is none).
  TArjHeader ArjFindMain(int64_t Start);
  // Opens the next volume, where the entry of FHdr goes on: FHdr becomes its part there.
  // False when no volume was given. A volume that is not the entry's next part raises,
  // named by EntryName.
  bool ArjNextVolume(const std::string& EntryName);
  // Decodes the current part of the entry into OutFile.
  void ArjDecodePart();
  [[noreturn]] void Fail(int ECode, const std::string& FN = std::string());

  TArjHeader FHdr;
  int64_t FPos = 0;          // the next header in the current volume
  uint8_t FMainVersion = 0;  // archiver version of the first volume's main header
  int64_t FSpanDone = 0;     // bytes of the entry in its parts before FHdr's
  bool FFollow = false;      // FHdr goes on in the next volume and nobody has followed it yet
  bool FBroken = false;      // a volume change failed: the walk cannot go on
  std::string FVolumeName;
};

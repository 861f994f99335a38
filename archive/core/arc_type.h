// Archive kinds and their recognition from the first bytes of a file, self-extractor
// layouts, an executable's string resources and header, the ZIP end record, the extension
// and the tar header checksum. Works on any byte source, so it is testable on memory.
#pragma once

#include <cstdint>
#include <string>

enum TArcType : uint8_t {
  atNA, atUnsupported, atFileOpenErr, atUnknown, atARC, atArcExe, atARJ, atArjExe, atBH, atBHExe,
  atCAB, atGZip, atHA, atLHA, atLhaExe, atLZH, atLzhExe, atPAK, atPakExe, atRAR, atRarExe, atTAR,
  atUUE, atZIP, atZipExe, atZip250, atZip250Exe, atZOO,
};
constexpr int ArcTypeCount = 28;

// The display name of a kind: exactly ten characters, blank-padded ("ZIP SFX   ").
const char* ArcTypeName(TArcType T);
// False for atNA, atUnsupported, atFileOpenErr and atUnknown.
bool IsArcTypeValid(TArcType T);

// The extensions the engine knows, in this order: ".UUE", ".XXE", ".ENC", ".TAR", ".Z",
// ".GZ", ".ZIP", ".ZOO", ".LHA", ".LZH", ".ARC", ".ARJ", ".BH", ".PAK", ".CAB", ".RAR",
// ".EXE", ".ACE". The 0-based index of Ext (with its dot, any case), or -1.
constexpr int ArcExtCount = 18;
extern const char* const ArcExtensions[ArcExtCount];
int ArcExtIndex(const std::string& Ext);

// The kind of the first four bytes of a file (AtStart) or of a place inside an executable.
// An ARC self-extractor's code sets Offset to where its archive begins (7717).
TArcType ClassifySignature(uint32_t Sig, bool AtStart, int64_t& Offset);

// A plausible ARC entry header at the start of a file: 0x1A, a method of 1 to 11 or 0x1E,
// a NUL within the 13-byte name and a packed size that fits the file. Len is what could
// be read (29 bytes make a header).
bool IsArcHeader(const uint8_t* Hdr, size_t Len, int64_t FileSize);

// Random access to the bytes being recognised.
class TArcInput {
public:
  virtual ~TArcInput() = default;
  virtual int64_t Size() = 0;
  // Reads up to Count bytes at Pos; the count read, or -1 when Pos cannot be reached.
  virtual int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count) = 0;
};

class TArcMemoryInput : public TArcInput {
public:
  TArcMemoryInput(const void* Data, size_t Size) : FData(static_cast<const uint8_t*>(Data)), FSize(Size) {}
  int64_t Size() override { return static_cast<int64_t>(FSize); }
  int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count) override;

private:
  const uint8_t* FData;
  size_t FSize;
};

// The recognition of one file (GetArcType without the file opening and closing).
class TArcRecognizer {
public:
  explicit TArcRecognizer(TArcInput& In) : FIn(In) {}

  // FileName gives the extension. ZipCmntBufSize is kept for callers; the end record is
  // searched as far as a comment can reach.
  void Run(const std::string& FileName, int32_t ZipCmntBufSize);

  // True when a ZIP local header stands at the start or at a known self-extractor size.
  bool FindZipSfxOffset();
  // True when the file begins with a tar header (after a volume label) whose checksum is right.
  bool IsTarHeader();
  // True when the start of the file reads as UU or XX text: a "begin" line, or full
  // data lines (a later part of a split file).
  bool IsUuText();

  TArcType ArcType = atFileOpenErr;
  // Where the archive begins, counted from 1: 1 for an archive that starts the file,
  // N + 1 for one whose first byte stands at file offset N. Readers seek to it - 1.
  int64_t ArcStartOffset = 1;
  int64_t ArcFileSize = 0;
  uint32_t SfxStartOffset = 0;

private:
  uint32_t Read32(int64_t Pos, bool& Ok);
  void ScanStringResources();
  void ScanImageEnd(const uint8_t Exe[6]);
  void ScanZipEndRecord();

  TArcInput& FIn;
  uint8_t FTarHeader[512] = {};
};

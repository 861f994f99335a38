// Block input and output of one archive entry for the LHA, ZOO, ARJ and ARC readers: the
// entry's packed bytes read from the archive file, and decoded bytes written through the
// engine's write callback with the running CRC kept. Progress is reported here, at the
// same points as a byte-by-byte count would reach them, each block's points as soon as
// it has been read (the reads do not stop at them: a small entry is one read).
#pragma once

#include <cstdint>

#include "archive/core/arc_base.h"
#include "archive/core/arc_file.h"
#include "archive/core/decode_io.h"

// Steps of a progress report: every Step bytes counted down from Total (FromEnd) or up
// from 0, with CalcProgress(done, Total). Step 0 means Total.
struct TEntryProgress {
  int64_t Total = 0;
  int64_t Step = 0;
  bool FromEnd = true;
  bool Enabled = false;

  void Setup(int64_t ATotal, int StepPercent, bool AFromEnd);
  // Bytes from Done to the next report point (at least 1).
  int64_t ToNext(int64_t Done) const;
  // Reports every point in (From, To].
  void Advance(int64_t From, int64_t To) const;
};

// The packed bytes of an entry: at most Size bytes from the file's current position.
class TEntrySource : public TByteSource {
public:
  TEntrySource(TArcFile& F, int64_t Size, int StepPercent, bool Progress = true);
  // A run's Cancel flag: once set, the input ends (at the next block).
  const bool* CancelFlag = nullptr;
  size_t Read(uint8_t* Buf, size_t Size) override;
  // The file ended before Size bytes were read.
  bool Short() const { return FShort; }
  int64_t Done() const { return FDone; }

private:
  TArcFile& FFile;
  int64_t FSize, FDone = 0;
  bool FShort = false;
  TEntryProgress FProgress;
};

// Decoded bytes to the engine's write callback (the output file or stream), updating
// the engine's CRC-16 (CrcKind 16) or CRC-32 (32). With progress set up, it reports by
// the output count.
class TEntrySink : public TByteSink {
public:
  TEntrySink(TArcFile& Out, int CrcKind) : FOut(Out), FCrcKind(CrcKind) {}
  void SetProgress(int64_t Total, int StepPercent, bool FromEnd) { FProgress.Setup(Total, StepPercent, FromEnd); }
  bool Write(const uint8_t* Buf, size_t Size) override;
  int64_t Written() const { return FWritten; }

private:
  TArcFile& FOut;
  int FCrcKind;
  int64_t FWritten = 0;
  TEntryProgress FProgress;
};

// ---- The decoding steps the LHA, ZOO, ARJ and ARC readers share --------------------------

// The error id of a decoder result (LZH family: bad tables and positions are 25120).
int DecodeErrorId(TDecodeResult Result);
// Decodes Packed bytes at the archive's position with the static-Huffman decoder into
// R.OutFile; a decoder error goes through RaiseArchiveError with ErrName.
void DecodeLzhEntry(TUnBase& R, uint8_t CrcKind, uint8_t DicBit, uint8_t PBit, uint8_t Mode, int64_t Packed,
                    uint32_t Unpacked, const std::string& ErrName, bool Fast = false);

// The published properties of the LHA, ZOO, ARJ and ARC readers (ARJ adds OnNextVolume).
template <class C>
TClassBuilder<C, TUnBase>& PublishReaderProps(TClassBuilder<C, TUnBase>& B) {
  return B.Prop("ArchiveFile", &TZipCommon::ArchiveFile, &TZipCommon::SetArchiveFile)
      .Prop("ArcType", &TZipCommon::ArcType, &TZipCommon::SetArcType)
      .Prop("FileSpec", &TZipCommon::FileSpec, &TZipCommon::SetFileSpec)
      .Prop("ExtractDir", &TZipCommon::ExtractDir, &TZipCommon::SetExtractDir)
      .Prop("UseStoredDirs", &TZipCommon::UseStoredDirs, &TZipCommon::SetUseStoredDirs)
      .Prop("SetDateTo", &TUnBase::SetDateTo, &TUnBase::SetSetDateTo)
      .Prop("ProgressNotify", &TZipCommon::ProgressNotify, &TZipCommon::SetProgressNotify)
      .Prop("OnError", &TZipCommon::OnError)
      .Prop("OnActivate", &TZipCommon::OnActivate)
      .Prop("OnDeactivate", &TZipCommon::OnDeactivate)
      .Prop("OnProgress", &TZipCommon::OnProgress)
      .Prop("OnBegin", &TZipCommon::OnBegin)
      .Prop("OnEnd", &TZipCommon::OnEnd)
      .Prop("OnFileExists", &TZipCommon::OnFileExists);
}

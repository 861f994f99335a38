#include "archive/core/un_zoo.h"

#include <set>

#include "archive/core/entry_io.h"
#include "archive/core/zoo_lzd.h"
#include "archive/core/le_bytes.h"

namespace {

constexpr uint32_t ZooTag = 0xFDC4A7DC;
using le::Get16;
using le::Get32;

// A zero-terminated name of at most Len bytes.
std::string ZeroTerminated(const uint8_t* P, size_t Len) {
  size_t N = 0;
  while (N < Len && P[N] != 0) N++;
  return std::string(reinterpret_cast<const char*>(P), N);
}

}  // namespace

const TClassInfo* TUnZOO::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnZOO, TUnBase> B("TUnZOO");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnZOO::ExtractIt() {
  InstallProgress();
  if (FArchiveFile.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
  if (FArcType != atZOO) RaiseArchiveError(FArchiveFile, "", "0", errUnsupportedArcType);
  if (!OpenInFile(ArcFile, FArchiveFile)) RaiseArchiveError(FArchiveFile, "", "0", errOpeningFile);
  // The archive header is checked before any event.
  uint8_t Hdr[43];
  try {
    ArcFile.Seek(ArcStartOffset > 0 ? ArcStartOffset - 1 : 0);
    if (ArcFile.Read(Hdr, 43) < 43) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
    if (Get32(Hdr + 24) + Get32(Hdr + 28) != 0) RaiseArchiveError(FArchiveFile, "", "0", errBadFileHeader);
  } catch (...) {
    ArcFile.Close();
    throw;
  }
  ArcEngine.DateMode = FSetDateTo;
  SetCancel(false);
  SpecHasWildcards = ::HasWildcards(FFileSpec);
  if (OnActivate) OnActivate(this);
  if (OnElapsedTime) Timer.Start();

  try {
    int64_t Pos = Get32(Hdr + 24);
    std::set<int64_t> Seen{Pos};
    while (!Cancel) {
      ArcEngine.Crc16Val = 0;
      uint8_t E[58] = {};
      ArcFile.Seek(Pos);
      int32_t Got = ArcFile.Read(E, 58);
      if (Got < 10) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
      if (Get32(E) != ZooTag) RaiseArchiveError(FArchiveFile, "", "0", errBadFileHeader);
      int64_t Next = Get32(E + 6);
      if (Next == 0) break;
      if (Got < 58) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
      // A chain that comes back to an entry already seen would never end.
      const bool Cycle = !Seen.insert(Next).second;
      const int Method = E[5];
      const int64_t DataPos = Get32(E + 10);
      const uint32_t DateTime = Get32(E + 14);
      const uint16_t Crc = Get16(E + 18);
      const uint32_t OrigSize = Get32(E + 20), PackedSize = Get32(E + 24);
      const bool Deleted = E[30] != 0;
      // Only type-2 entries with a variable part carry the long name and the folder.
      std::string Dir;
      if (E[4] == 2 && Get16(E + 51) >= 2) {
        int L = E[56], D = E[57];
        if (D > 0) {
          uint8_t Buf[512];
          ArcFile.Seek(Pos + 58);
          if (ArcFile.Read(Buf, L + D) < L + D) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
          Dir = ZeroTerminated(Buf + L, size_t(D));
          for (char& C : Dir)
            if (C == '/') C = '\\';
          if (!Dir.empty() && Dir.back() != '\\') Dir += '\\';
        }
      }
      const std::string Stored = Dir + ZeroTerminated(E + 38, 13);
      const std::string Name = OemToAnsiName(Stored);
      // A deleted entry is an older version that the archive keeps: not extracted.
      if (Deleted || !MatchFileSpec(Name, FFileSpec, false) || !ProcessFileName(Stored) || FileName.empty()) {
        if (Cycle) break;
        Pos = Next;
        continue;
      }
      const TDateTime EntryDate = ConvertDate(DateTime);
      bool Extract = true;
      if (ArcEngine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
        OnFileExists(this, FileName, EntryDate, Extract);
      const std::string EventName = EntryEventName(*this, Name);
      if (Extract) {
        RecNum++;
        if (OnBegin) OnBegin(this, EventName, RecNum, Extract);
      }
      if (Extract) {
        try {
          OpenEntryOutput(PackedSize, 16);
          ArcFile.Seek(DataPos);
          if (Method == 0) {
            UnStore(ArcFile, PackedSize, FileName, 16);
          } else if (Method == 1) {
            TEntrySource Src(ArcFile, PackedSize, ProgressStepPercent, false);
            Src.CancelFlag = &Cancel;
            TEntrySink Sink(OutFile, 16);
            Sink.SetProgress(OrigSize, ProgressStepPercent, true);
            TDecodeResult R = ZooLzdDecode(Src, Sink, OrigSize);
            if (R != TDecodeResult::Ok && !Cancel) RaiseArchiveError(FileName, "", "0", DecodeErrorId(R));
          } else if (Method == 2) {
            DecodeLzhEntry(*this, 16, 13, 4, 0, PackedSize, OrigSize, FArchiveFile);
          } else {
            RaiseArchiveError(FileName, "", "0", errUnsupportedMethod);
          }
          if (ArcEngine.OutputMode == omToFile && FSetDateTo == sdOrigDate) {
            const int Dos = DateTimeToFileDate(EntryDate);
            if (Dos != 0) OutFile.SetDate(Dos);
          }
        } catch (const E_RAISE&) {
          // Reported through its error event; only this entry ends.
        } catch (const EFOpenError&) {
        } catch (const EInOutError&) {
          throw;
        } catch (const Exception& X) {
          ReportArchiveError(FileName, X.Message(), "0", errReadingFile);
        }
        OutFile.Close();
        ReportEntryCrc(*this, EventName, (ArcEngine.Crc16Val & 0xFFFF) == Crc);
        if (ArcEngine.OutputMode == omToStream) break;  // a stream takes one entry
      }
      if (!SpecHasWildcards || Cycle) break;
      Pos = Next;
    }
  } catch (const EInOutError&) {
    // A damaged or short archive ends the run quietly.
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

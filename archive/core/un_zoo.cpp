#include "archive/core/un_zoo.h"

#include <set>

#include "archive/core/entry_io.h"
#include "archive/core/zoo_lzd.h"
#include "archive/core/zoo_header.h"

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
  TArcFileInput In(ArcFile);
  // The archive header is checked before any event.
  TZooArchive A;
  if (const int Err = ZooReadArchive(In, ArcStartOffset > 0 ? ArcStartOffset - 1 : 0, A)) {
    ArcFile.Close();
    RaiseArchiveError(FArchiveFile, "", "0", Err);
  }
  Engine.DateMode = FSetDateTo;
  SetCancel(false);
  SpecHasWildcards = ::HasWildcards(FFileSpec);
  if (OnActivate) OnActivate(this);
  if (OnElapsedTime) Timer.Start();

  try {
    int64_t Pos = A.FirstEntry;
    std::set<int64_t> Seen{Pos};
    while (!Cancel) {
      Engine.Crc16Val = 0;
      TZooEntry E;
      const TZooStep Step = ZooReadEntry(In, Pos, E);
      if (Step == zsEnd) break;
      if (Step != zsEntry)
        RaiseArchiveError(FArchiveFile, "", "0", Step == zsTruncated ? errReadingFile : errBadFileHeader);
      // A chain that comes back to an entry already seen would never end.
      const bool Cycle = !Seen.insert(E.Next).second;
      // Deleted entries (older versions the archive keeps) are extracted like the others.
      const std::string Name = ZooEntryName(E);
      if (!MatchFileSpec(Name, FFileSpec, false) || !ProcessEntryName(Name) || FileName.empty()) {
        if (Cycle) break;
        Pos = E.Next;
        continue;
      }
      if (E.Method > 2) {
        // Told before anything is made: no empty file stands under the entry's name.
        ReportArchiveError(FileName, "", "0", errUnsupportedMethod);
        if (!SpecHasWildcards || Cycle) break;
        Pos = E.Next;
        continue;
      }
      const TDateTime EntryDate = ConvertDate(E.DateTime);
      bool Extract = true;
      if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
        OnFileExists(this, FileName, EntryDate, Extract);
      const std::string EventName = EntryEventName(*this, Name);
      if (Extract) {
        RecNum++;
        if (OnBegin) OnBegin(this, EventName, RecNum, Extract);
      }
      if (Extract) {
        try {
          OpenEntryOutput(E.PackedSize, 16);
          ArcFile.Seek(E.DataPos);
          if (E.Method == 0) {
            UnStore(ArcFile, E.PackedSize, FileName, 16);
          } else if (E.Method == 1) {
            TEntrySource Src(ArcFile, E.PackedSize, ProgressStepPercent, false);
            Src.CancelFlag = &Cancel;
            TEntrySink Sink(OutFile, 16);
            Sink.SetProgress(E.OrigSize, ProgressStepPercent, true);
            TDecodeResult R = ZooLzdDecode(Src, Sink, E.OrigSize);
            if (R != TDecodeResult::Ok && !Cancel) RaiseArchiveError(FileName, "", "0", DecodeErrorId(R));
          } else {
            DecodeLzhEntry(*this, 16, 13, 4, 0, E.PackedSize, E.OrigSize, FArchiveFile);
          }
          if (Engine.OutputMode == omToFile && FSetDateTo == sdOrigDate) {
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
        ReportEntryCrc(*this, EventName, (Engine.Crc16Val & 0xFFFF) == E.Crc);
        if (Engine.OutputMode == omToStream) break;  // a stream takes one entry
      }
      if (!SpecHasWildcards || Cycle) break;
      Pos = E.Next;
    }
  } catch (const EInOutError& X) {
    ReportArchiveError(FArchiveFile, X.Message(), "0", errReadingFile);
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

#include "archive/core/un_arc.h"

#include "archive/core/arc_decoder.h"
#include "archive/core/arc_header.h"
#include "archive/core/entry_io.h"
#include "archive/core/le_bytes.h"

namespace {

using le::Get16;
using le::Get32;

int ArcErrorId(TDecodeResult R) {
  switch (R) {
    case TDecodeResult::BadData: return errInvalidDecodeTree;
    case TDecodeResult::BadMaxBits: return errIncorrectBits;
    case TDecodeResult::StackOverflow: return errWritingFile;  // the crunch stack
    case TDecodeResult::Truncated: return errReadingFile;
    case TDecodeResult::WriteError: return errWritingFile;
    default: return errInvalidCode;
  }
}

}  // namespace

const TClassInfo* TUnARC::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnARC, TUnBase> B("TUnARC");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnARC::ExtractIt() {
  InstallProgress();
  BeginRun({atARC, atArcExe});
  try {
    TArcFileInput In(ArcFile);
    TArcHeaderWalk Walk(false);
    int64_t Pos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
    while (!Cancel) {
      TArcHeader H;
      const TArcStep Step = Walk.Next(In, Pos, H);
      if (Step == asEnd) break;
      const std::string Name = OemToAnsiName(H.Name);
      if (Step != asEntry) {
        // Told by name; the walk goes on at the next header that can be found.
        ReportArchiveError(H.Name.empty() ? FArchiveFile : Name, "", "0",
                           Step == asTruncated ? errReadingFile : errBadFileHeader);
        Pos = TArcHeaderWalk::Resync(In, Pos + 1, false);
        if (Pos < 0) break;
        continue;
      }
      Pos = H.Next;
      if (H.IsFolder) {
        MakeStoredFolder(Name);
        continue;
      }
      if (!MatchFileSpec(Name, FFileSpec, true) || !ProcessEntryName(Name) || FileName.empty()) continue;
      if (!ArcMethodSupported(H.Method)) {
        // Told before anything is made: no empty file stands under the entry's name.
        ReportArchiveError(FileName, "", "0", errUnsupportedMethod);
        continue;
      }
      Engine.Crc16Val = 0;
      ProgressStep = ProgressStepPercent * int64_t(H.PackedSize) / 100;
      if (ProgressStep == 0) ProgressStep = H.PackedSize;
      const TDateTime EntryDate = ConvertDate(H.DateTime);
      bool Extract = true;
      if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
        OnFileExists(this, FileName, EntryDate, Extract);
      const std::string EventName = EntryEventName(*this, Name);
      if (Extract && OnBegin) OnBegin(this, EventName, RecNum, Extract);
      if (!Extract) {
        if (!SpecHasWildcards) break;
        continue;
      }
      if (!OpenOutFile(OutFile, FileName)) {
        ReportArchiveError(FileName, "", "0", errWritingFile);
        continue;
      }
      ArcFile.Seek(H.DataPos);
      TEntrySource Src(ArcFile, H.PackedSize, ProgressStepPercent);
      Src.CancelFlag = &Cancel;
      TEntrySink Sink(OutFile, 16);
      const TDecodeResult R = ArcDecodeEntry(H.Method, Src, Sink, H.OrigSize);
      if (R != TDecodeResult::Ok && !Cancel) {
        // A crunched entry whose first byte is no code size was garbled with a password:
        // ARC marks encryption nowhere else. Either way the entry is left out and the run
        // goes on, for the sizes in its header are sound.
        const bool Garbled = R == TDecodeResult::BadMaxBits && H.Method == 8;
        ReportArchiveError(FileName, Garbled ? "encrypted" : "", "0", Garbled ? errPasswordProtected : ArcErrorId(R));
        const std::string Part = OutFile.FileName();
        OutFile.Close();
        if (Engine.OutputMode == omToFile) DeleteFile(Part);
        if (Engine.OutputMode == omToStream || !SpecHasWildcards) break;
        continue;
      }
      if (Src.Short()) ReportArchiveError(FileName, "", "0", errReadingFile);
      if (OutFile.IsOpen() && FSetDateTo == sdOrigDate) {
        const int Dos = DateTimeToFileDate(EntryDate);
        if (Dos != 0) OutFile.SetDate(Dos);
      }
      OutFile.Close();
      ReportEntryCrc(*this, EventName, (Engine.Crc16Val & 0xFFFF) == H.Crc);
      RecNum++;
      if (Engine.OutputMode == omToStream) break;  // a stream takes one entry
      if (!SpecHasWildcards) break;
    }
  } catch (const E_RAISE&) {
    // Its error event has fired: the run ends.
  } catch (const EInOutError& X) {
    ReportArchiveError(FArchiveFile, X.Message(), "0", errReadingFile);
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

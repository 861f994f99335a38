#include "archive/core/un_tar.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "archive/core/entry_io.h"
#include "archive/core/tar_header.h"

const TClassInfo* TUnTAR::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnTAR, TUnBase> B("TUnTAR");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnTAR::CopyTarData(int64_t Size) {
  std::vector<uint8_t> Buf(32769);
  int64_t Remaining = Size;
  while (Remaining > 0) {
    const int32_t Want = int32_t(std::min<int64_t>(Remaining, 32768));
    if (ArcFile.Read(Buf.data(), Want) != Want) RaiseArchiveError(FileName, "", "0", errReadingFile);
    Remaining -= Want;
    int32_t Count = Want;
    if (!ArcWriteOutput(OutFile, Buf.data(), Count) || Count != Want) RaiseArchiveError(FileName, "", "0", errWritingFile);
    if (Remaining % ProgressStep == 0) ArcReportProgress(CalcProgress(Size - Remaining, Size));
  }
}

void TUnTAR::ExtractIt() {
  InstallProgress();
  BeginRun({atTAR});
  try {
    TArcFileInput In(ArcFile);
    int64_t Pos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
    while (!Cancel) {
      TTarEntry E;
      const TTarStep Step = TarNextEntry(In, Pos, E);
      if (Step == tsEnd) break;
      const std::string AnsiName = ArchiveNameToAnsi(E.H.Name);
      if (Step != tsEntry) {
        // Not a header, or cut short: the archive is damaged here, and nothing after it
        // can be trusted.
        ReportArchiveError(AnsiName.empty() ? FArchiveFile : AnsiName, "", "0",
                           Step == tsTruncated ? errReadingFile : errBadFileHeader);
        break;
      }
      if (E.Next <= Pos) break;
      Pos = E.Next;
      if (E.IsDirectory) {
        MakeStoredFolder(AnsiName);
        continue;
      }
      // Links and devices make no file; empty files do.
      if (!TarIsFile(E.H.Type) || !MatchFileSpec(AnsiName, FFileSpec, false) || !ProcessEntryName(AnsiName) ||
          FileName.empty())
        continue;
      bool Extract = true;
      const TDateTime EntryDate = ConvertDate(E.H.MTime);
      if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
        OnFileExists(this, FileName, EntryDate, Extract);
      const std::string EventName = EntryEventName(*this, AnsiName);
      if (Extract && OnBegin) OnBegin(this, EventName, RecNum + 1, Extract);
      if (!Extract) continue;
      OpenEntryOutput(E.H.Size, 0);
      ProgressStep = ProgressStepFor(E.H.Size);
      ArcFile.Seek(E.DataPos);
      CopyTarData(E.H.Size);
      RecNum++;
      if (Engine.OutputMode == omToFile) {
        if (Engine.DateMode == sdOrigDate) {
          const int Dos = DateTimeToFileDate(EntryDate);
          if (Dos) OutFile.SetDate(Dos);
        }
        OutFile.Close();
      }
      if (OnEnd) OnEnd(this, EventName, true);
      if (FFileSpec.find('*') == std::string::npos) break;
    }
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

#include "archive/core/un_tar.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "archive/core/entry_io.h"

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
    int64_t Pos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
    // A GNU long name or a pax record names the next entry only.
    std::string LongName;
    int64_t PaxSize = -1;
    uint32_t PaxTime = 0;
    bool HavePaxTime = false;
    uint8_t Block[512];
    while (!Cancel) {
      ArcFile.Seek(Pos);
      if (ArcFile.Read(Block, 512) != 512) break;
      TTarHeader H;
      if (!ParseTarHeader(Block, H)) break;
      if (!H.ChecksumOk || H.Size < 0) {
        // Not a header: the archive is damaged here, and nothing after it can be trusted.
        ReportArchiveError(FArchiveFile, "", "0", errBadFileHeader);
        break;
      }
      const int64_t DataPos = Pos + 512;
      if (H.Size > INT64_MAX - 511 - DataPos) {
        // A size no file can have: its end cannot even be computed.
        ReportArchiveError(FArchiveFile, "", "0", errBadFileHeader);
        break;
      }
      if (H.Type == 'L' || H.Type == 'K' || H.Type == 'x' || H.Type == 'g') {
        // Records about the next entry, never files of their own.
        if (H.Type != 'g' && H.Size <= 65536) {
          std::string Data(size_t(H.Size), '\0');
          if (ArcFile.Read(Data.data(), int32_t(H.Size)) != H.Size) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
          if (H.Type == 'L') {
            LongName.assign(Data.c_str());
          } else if (H.Type == 'x') {
            uint32_t T = 0;
            ApplyPaxRecords(Data, &LongName, &PaxSize, &T);
            if (T) {
              PaxTime = T;
              HavePaxTime = true;
            }
          }
        }
        Pos = DataPos + ((H.Size + 511) / 512) * 512;
        continue;
      }
      if (!LongName.empty()) H.Name = LongName;
      if (PaxSize >= 0) H.Size = PaxSize;
      if (HavePaxTime) H.MTime = PaxTime;
      LongName.clear();
      PaxSize = -1;
      HavePaxTime = false;
      const int64_t Next = DataPos + ((H.Size + 511) / 512) * 512;

      const std::string Stored = SlashToBackslash(H.Name);
      const std::string AnsiName = OemToAnsiName(Stored);
      // Folders, links and devices make no file (their size is 0, or not data).
      const bool IsFile = H.Type == '0' || H.Type == 0 || H.Type == '7' ||
                          !(H.Type == '1' || H.Type == '2' || H.Type == '3' || H.Type == '4' || H.Type == '5' ||
                            H.Type == '6' || H.Type == 'V' || H.Type == 'D' || H.Type == 'M' || H.Type == 'N');
      if (IsFile && Stored.back() != '\\' && H.Size > 0 && MatchFileSpec(AnsiName, FFileSpec, false) &&
          ProcessFileName(Stored) && !FileName.empty()) {
        bool Extract = true;
        const TDateTime EntryDate = ConvertDate(H.MTime);
        if (ArcEngine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
          OnFileExists(this, FileName, EntryDate, Extract);
        const std::string EventName = EntryEventName(*this, AnsiName);
        if (Extract && OnBegin) OnBegin(this, EventName, RecNum + 1, Extract);
        if (Extract) {
          OpenEntryOutput(H.Size, 0);
          ProgressStep = ProgressStepFor(H.Size);
          ArcFile.Seek(DataPos);
          CopyTarData(H.Size);
          RecNum++;
          if (ArcEngine.OutputMode == omToFile) {
            if (ArcEngine.DateMode == sdOrigDate) {
              const int Dos = DateTimeToFileDate(EntryDate);
              if (Dos) OutFile.SetDate(Dos);
            }
            OutFile.Close();
          }
          if (OnEnd) OnEnd(this, EventName, true);
          if (FFileSpec.find('*') == std::string::npos) break;
        }
      }
      if (Next <= Pos) break;
      Pos = Next;
    }
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

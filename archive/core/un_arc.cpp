#include "archive/core/un_arc.h"

#include "archive/core/arc_decoder.h"
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
    std::string DirPath;
    const int64_t FileSize = ArcFile.Size();
    int64_t Pos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
    while (Pos + 29 < FileSize && !Cancel) {
      uint8_t H[29] = {};
      try {
        ArcFile.Seek(Pos);
      } catch (const EInOutError& X) {
        RaiseArchiveError(FArchiveFile, X.Message(), "0", errReadingFile);
      }
      if (ArcFile.Read(H, 29) < 2 || H[0] != 0x1A || H[1] == 0) break;
      const int Method = H[1];
      if (Method == 31) {
        // End of a folder: back to its parent.
        if (!DirPath.empty()) DirPath.pop_back();
        DirPath.erase(DirPath.find_last_of('\\') == std::string::npos ? 0 : DirPath.find_last_of('\\') + 1);
        Pos += 2;
        continue;
      }
      size_t N = 0;
      while (N < 13 && H[2 + N] != 0) N++;
      const std::string StoredName(reinterpret_cast<const char*>(H + 2), N);
      if (Method == 30) {
        // A folder: the entries that follow, up to its method 31, are inside it.
        DirPath += StoredName + "\\";
        Pos += 29;
        continue;
      }
      // Method 1 is the old header without the original size.
      const int HeaderLen = Method == 1 ? 25 : 29;
      const uint32_t PackedSize = Get32(H + 15);
      const uint32_t OrigSize = Method == 1 ? PackedSize : Get32(H + 25);
      const uint16_t Crc = Get16(H + 23);
      const int64_t DataPos = Pos + HeaderLen;
      const int64_t Next = DataPos + PackedSize;

      const std::string Stored = DirPath + StoredName;
      const std::string Name = OemToAnsiName(Stored);
      if (!MatchFileSpec(Name, FFileSpec, true) || !ProcessFileName(Stored) || FileName.empty()) {
        Pos = Next;
        continue;
      }
      ArcEngine.Crc16Val = 0;
      ProgressStep = ProgressStepPercent * int64_t(PackedSize) / 100;
      if (ProgressStep == 0) ProgressStep = PackedSize;
      const TDateTime EntryDate = ConvertDate(Get32(H + 19));
      bool Extract = true;
      if (ArcEngine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
        OnFileExists(this, FileName, EntryDate, Extract);
      const std::string EventName = EntryEventName(*this, Name);
      if (Extract && OnBegin) OnBegin(this, EventName, RecNum, Extract);
      if (Extract) {
        if (!OpenOutFile(OutFile, FileName)) {
          ReportArchiveError(FileName, "", "0", errWritingFile);
        } else if (!ArcMethodSupported(Method)) {
          ReportArchiveError(FileName, "", "0", errUnsupportedMethod);
        } else {
          ArcFile.Seek(DataPos);
          TEntrySource Src(ArcFile, PackedSize, ProgressStepPercent);
          Src.CancelFlag = &Cancel;
          TEntrySink Sink(OutFile, 16);
          // On an error the output stays open: EndRun removes the part written.
          const TDecodeResult R = ArcDecodeEntry(Method, Src, Sink, OrigSize);
          if (R != TDecodeResult::Ok && !Cancel) RaiseArchiveError(FileName, "", "0", ArcErrorId(R));
          if (Src.Short()) ReportArchiveError(FileName, "", "0", errReadingFile);
        }
        if (OutFile.IsOpen() && FSetDateTo == sdOrigDate) {
          const int Dos = DateTimeToFileDate(EntryDate);
          if (Dos != 0) OutFile.SetDate(Dos);
        }
        const bool Opened = OutFile.IsOpen() || ArcEngine.OutputMode == omToStream;
        OutFile.Close();
        ReportEntryCrc(*this, EventName, (ArcEngine.Crc16Val & 0xFFFF) == Crc);
        if (Opened) RecNum++;
        if (ArcEngine.OutputMode == omToStream) break;  // a stream takes one entry
      }
      if (!SpecHasWildcards) break;
      Pos = Next;
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

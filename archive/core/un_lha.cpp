#include "archive/core/un_lha.h"

#include <new>
#include <vector>

#include "archive/core/entry_io.h"
#include "archive/core/lzhuf.h"
#include "archive/core/le_bytes.h"

namespace {

// The methods the decoders have: stored, LZHUF and the static-Huffman family.
bool MethodKnown(const std::string& M) {
  return M.size() == 5 && M[0] == '-' && M[1] == 'l' && M[2] == 'h' && M[4] == '-' &&
         (M[3] == '0' || M[3] == '1' || M[3] == '4' || M[3] == '5' || M[3] == '6');
}

}  // namespace

const TClassInfo* TUnLHA::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnLHA, TUnBase> B("TUnLHA");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnLHA::LhaDecodeEntry(const TLhaHeader& H) {
  const std::string& M = H.Method;
  char C = M[3];
  bool Known = M[0] == '-' && M[4] == '-' && M[1] == 'l' && M[2] == 'h' && C >= '0' && C < '7';
  if (Known && C == '0') {
    UnStore(ArcFile, H.DataSize, FileName, 16);
  } else if (Known && C == '1') {
    TEntrySource Src(ArcFile, H.DataSize, ProgressStepPercent, false);
    Src.CancelFlag = &Cancel;
    TEntrySink Sink(OutFile, 16);
    Sink.SetProgress(H.OrigSize, ProgressStepPercent, false);
    TDecodeResult R = Lh1Decode(Src, Sink, H.OrigSize);
    if (R != TDecodeResult::Ok && !Cancel)
      RaiseArchiveError(R == TDecodeResult::WriteError ? FileName : FArchiveFile, "", "0", DecodeErrorId(R));
  } else if (Known && (C == '4' || C == '5' || C == '6')) {
    uint8_t DicBit = C == '4' ? 12 : C == '5' ? 13 : 16;
    DecodeLzhEntry(*this, 16, DicBit, C == '6' ? 5 : 4, C == '6' ? 5 : 3, H.DataSize, H.OrigSize, FArchiveFile);
  } else {
    RaiseArchiveError(FileName, "", "0", errUnsupportedMethod);
  }
}

void TUnLHA::ExtractIt() {
  InstallProgress();
  BeginRun({atLHA, atLhaExe, atLZH, atLzhExe});
  try {
    TArcFileInput In(ArcFile);
    int64_t Pos = LhaFirstHeader(In, ArcStartOffset > 0 ? ArcStartOffset - 1 : 0);
    while (!Cancel) {
      Engine.Crc16Val = 0;
      TLhaHeader H;
      const TLhaStep Step = LhaReadHeader(In, Pos, H);
      if (Step == lsEnd) break;
      const std::string Name = LhaEntryName(H);
      if (Step != lsEntry) {
        // Told by name; the walk goes on at the next header that can be found.
        ReportArchiveError(Name.empty() ? FArchiveFile : Name, "", "0",
                           Step == lsTruncated ? errReadingFile : errBadFileHeader);
        Pos = LhaResync(In, Pos + 1);
        if (Pos < 0) break;
        continue;
      }
      const int64_t Next = H.NextPos;
      if (Next <= Pos) break;
      Pos = Next;
      if (H.IsDirectory()) {
        MakeStoredFolder(Name);
        continue;
      }
      if (!MatchFileSpec(Name, FFileSpec, false) || !ProcessEntryName(Name) || FileName.empty()) continue;
      if (!MethodKnown(H.Method)) {
        // Told before anything is made: no empty file stands under the entry's name.
        ReportArchiveError(FileName, H.Method, "0", errUnsupportedMethod);
        continue;
      }
      const TDateTime EntryDate = H.Level == 2 ? UnixDateToDateTime(int32_t(H.Time)) : DosDateToDateTime(H.Time);
      bool Extract = true;
      if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
        OnFileExists(this, FileName, EntryDate, Extract);
      const std::string EventName = EntryEventName(*this, Name);
      if (Extract && OnBegin) OnBegin(this, EventName, RecNum + 1, Extract);
      if (Extract) {
        try {
          OpenEntryOutput(H.DataSize, 16);
          RecNum++;
          ArcFile.Seek(H.DataPos);
          LhaDecodeEntry(H);
        } catch (const std::bad_alloc&) {
          throw;
        } catch (const E_RAISE&) {
          // Its error event has fired; the CRC check below reports the damage.
        } catch (const EFOpenError&) {
        } catch (const Exception& E) {
          ReportArchiveError(FileName, E.Message(), "0", errReadingFile);
        }
        OutFile.Close();
        ReportEntryCrc(*this, EventName, (Engine.Crc16Val & 0xFFFF) == H.Crc);
        if (Engine.OutputMode == omToStream) break;  // a stream takes one entry
      }
      if (!SpecHasWildcards) break;
    }
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}

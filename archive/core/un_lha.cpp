#include "archive/core/un_lha.h"

#include <cstring>
#include <new>
#include <vector>

#include "archive/core/entry_io.h"
#include "archive/core/lzhuf.h"
#include "archive/core/le_bytes.h"

namespace {

using le::Get16;
using le::Get32;

bool IsMethod(const uint8_t* M) { return M[0] == '-' && M[4] == '-'; }

}  // namespace

bool IsSjisLeadByte(uint8_t B) { return (B >= 0x80 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFD); }

std::string LhaConvertPath(const std::string& Path) {
  std::string S = Path;
  for (size_t I = 0; I < S.size(); I++) {
    uint8_t B = uint8_t(S[I]);
    if (IsSjisLeadByte(B) && I + 1 < S.size()) {
      I++;  // the second byte of the pair stays as it is
      continue;
    }
    if (B == '/' || B == 0xFF) S[I] = '\\';
  }
  size_t First = 0, Last = S.size();
  while (First < Last && uint8_t(S[First]) <= ' ') First++;
  while (Last > First && uint8_t(S[Last - 1]) <= ' ') Last--;
  return S.substr(First, Last - First);
}

const TClassInfo* TUnLHA::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnLHA, TUnBase> B("TUnLHA");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

bool TUnLHA::ReadHeader(int64_t Pos, THeader& H) {
  uint8_t Base[22];
  ArcFile.Seek(Pos);
  if (ArcFile.Read(Base, 22) < 22) return false;
  H.Level = Base[20];
  // The end of the headers is a zero size byte; a level-2 header has a 16-bit size
  // whose low byte may be zero.
  if (Base[0] == 0 && !(H.Level == 2 && Base[1] != 0 && IsMethod(Base + 2))) return false;
  H.Method.assign(reinterpret_cast<const char*>(Base + 2), 5);
  H.PackedSize = Get32(Base + 7);
  H.OrigSize = Get32(Base + 11);
  H.Time = Get32(Base + 15);
  H.Name.clear();

  auto Bad = [&] {
    ReportArchiveError(FArchiveFile, "", "0", errBadFileHeader);
    return false;
  };
  std::string Dir;
  // Extended headers: type, data, size of the next one; the size counts all of it.
  // Ext points at the first one's bytes; Limit bounds them (a level-2 header's length,
  // a level-1 entry's packed size). Returns the bytes they took, or -1 when malformed.
  auto ReadExt = [&](uint16_t NextSize, int64_t At, int64_t Limit) -> int64_t {
    int64_t Total = 0;
    std::vector<uint8_t> E;
    while (NextSize != 0) {
      if (NextSize < 3 || Total + NextSize > Limit) return -1;
      E.resize(NextSize);
      ArcFile.Seek(At + Total);
      if (ArcFile.Read(E.data(), NextSize) < NextSize) return -1;
      std::string Data(reinterpret_cast<const char*>(E.data() + 1), NextSize - 3);
      if (E[0] == 1) H.Name = Data.substr(0, Data.find('\0'));
      if (E[0] == 2) Dir = LhaConvertPath(Data.substr(0, Data.find('\0')));
      Total += NextSize;
      NextSize = Get16(E.data() + NextSize - 2);
    }
    return Total;
  };

  if (H.Level == 0 || H.Level == 1) {
    int S = Base[0];
    if (S < 22) return Bad();
    int N = Base[21];
    int MinSize = 22 + N + 2 + (H.Level == 1 ? 3 : 0);
    if (S + 2 < MinSize) return Bad();
    std::vector<uint8_t> Hdr(size_t(S) + 2);
    ArcFile.Seek(Pos);
    if (ArcFile.Read(Hdr.data(), S + 2) < S + 2) return Bad();
    H.Name.assign(reinterpret_cast<const char*>(Hdr.data() + 22), N);
    H.Crc = Get16(Hdr.data() + 22 + N);
    int64_t ExtTotal = 0;
    if (H.Level == 1) {
      // Level 1 counts its extended headers in the packed size.
      ExtTotal = ReadExt(Get16(Hdr.data() + 25 + N), Pos + S + 2, H.PackedSize);
      if (ExtTotal < 0) return Bad();
    }
    H.DataPos = Pos + S + 2 + ExtTotal;
    H.DataSize = int64_t(H.PackedSize) - ExtTotal;
    H.NextPos = Pos + S + 2 + int64_t(H.PackedSize);
  } else if (H.Level == 2) {
    int HdrLen = Get16(Base);
    if (HdrLen < 26) return Bad();
    uint8_t More[4];
    if (ArcFile.Read(More, 4) < 4) return Bad();
    H.Crc = uint16_t(Base[21] | (More[0] << 8));  // then the OS byte and the first extension's size
    // The name is the 0x01 extension wherever it stands (jlha puts the header CRC first).
    if (ReadExt(Get16(More + 2), Pos + 26, HdrLen - 26) < 0) return Bad();
    H.DataPos = Pos + HdrLen;
    H.DataSize = H.PackedSize;
    H.NextPos = Pos + HdrLen + int64_t(H.PackedSize);
  } else {
    // Level 3 and above are not read: the walk cannot go on safely.
    return Bad();
  }
  if (!Dir.empty()) {
    while (!Dir.empty() && Dir.back() == '\\') Dir.pop_back();
    H.Name = Dir + "\\" + H.Name;
  }
  return true;
}

void TUnLHA::LhaDecodeEntry(const THeader& H) {
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
    int64_t Pos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
    uint8_t First[22];
    ArcFile.Seek(Pos);
    if (ArcFile.Read(First, 22) == 22 && First[0] == 0 && !(First[20] == 2 && First[1] != 0)) Pos += 128;

    while (!Cancel) {
      ArcEngine.Crc16Val = 0;
      THeader H;
      if (!ReadHeader(Pos, H)) break;
      int64_t Next = H.NextPos;
      if (Next <= Pos) break;
      if (H.Method == "-lhd-" || H.DataSize < 0) {
        Pos = Next;
        continue;
      }
      const std::string Name = OemToAnsiName(H.Name);
      if (!MatchFileSpec(Name, FFileSpec, false) || !ProcessFileName(H.Name) || FileName.empty()) {
        Pos = Next;
        continue;
      }
      const TDateTime EntryDate = H.Level == 2 ? UnixDateToDateTime(int32_t(H.Time)) : DosDateToDateTime(H.Time);
      bool Extract = true;
      if (ArcEngine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
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
        ReportEntryCrc(*this, EventName, (ArcEngine.Crc16Val & 0xFFFF) == H.Crc);
        if (ArcEngine.OutputMode == omToStream) break;  // a stream takes one entry
      }
      if (!SpecHasWildcards) break;
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

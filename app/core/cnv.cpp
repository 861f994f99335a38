#include "app/core/cnv.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"

namespace {

constexpr int BlockSize = 64 * 1024;

// The input, read in blocks. When the output replaces the input, the whole input is read
// first and the file closed, so that creating the output cannot destroy unread data.
class TSource {
public:
  TSource(const std::string& FileName, bool ReadWhole) : FFileName(FileName) {
    try {
      FFile = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    } catch (const EStreamError& E) {
      throw EInOutError(E.Message(), 2);
    }
    if (!ReadWhole) return;
    FWhole = true;
    std::vector<char> Buf(BlockSize);
    for (int N; (N = ReadFile(Buf.data(), BlockSize)) > 0;) FData.append(Buf.data(), N);
    FFile.reset();
  }

  // Up to Count bytes; 0 at the end.
  int Read(char* Buffer, int Count) {
    if (!FWhole) return ReadFile(Buffer, Count);
    const std::size_t N = std::min<std::size_t>(Count, FData.size() - FPos);
    FData.copy(Buffer, N, FPos);
    FPos += N;
    return static_cast<int>(N);
  }

private:
  int ReadFile(char* Buffer, int Count) {
    const int N = FileRead(FFile->Handle(), Buffer, Count);
    if (N < 0) throw EInOutError("Read error in " + FFileName, 100);
    return N;
  }

  std::string FFileName;
  std::unique_ptr<TFileStream> FFile;
  bool FWhole = false;
  std::string FData;
  std::size_t FPos = 0;
};

// The output, created (replaced) at once and written in blocks.
class TTarget {
public:
  explicit TTarget(const std::string& FileName) : FFileName(FileName) {
    try {
      FFile = std::make_unique<TFileStream>(FileName, fmCreate);
    } catch (const EStreamError& E) {
      throw EInOutError(E.Message(), 5);
    }
    FBuf.reserve(BlockSize);
  }

  void Put(char C) {
    FBuf += C;
    if (FBuf.size() >= BlockSize) Flush();
  }
  void Put(const std::string& S) {
    FBuf += S;
    if (FBuf.size() >= BlockSize) Flush();
  }
  void Put(const char* Data, std::size_t Count) {
    FBuf.append(Data, Count);
    if (FBuf.size() >= BlockSize) Flush();
  }
  void Flush() {
    if (FBuf.empty()) return;
    if (FileWrite(FFile->Handle(), FBuf.data(), static_cast<int>(FBuf.size())) != static_cast<int>(FBuf.size()))
      throw EInOutError("Write error in " + FFileName, 101);
    FBuf.clear();
  }

private:
  std::string FFileName;
  std::unique_ptr<TFileStream> FFile;
  std::string FBuf;
};

// uuencode has no spaces on a line: the character for 0 is written as "`".
char UUChar(int Value) { return Value == 0 ? '`' : static_cast<char>(32 + Value); }

// One data line: the count of its bytes and up to 60 characters.
class TUULines {
public:
  explicit TUULines(TTarget& Out) : FOut(Out) {}

  // A group of 1 to 3 bytes (missing bytes taken as zero).
  void AddGroup(const unsigned char* Group, int Count) {
    if (FChars.size() >= 60) WriteLine();
    const unsigned long Bits = (static_cast<unsigned long>(Group[0]) << 16) |
                               (Count > 1 ? static_cast<unsigned long>(Group[1]) << 8 : 0) |
                               (Count > 2 ? Group[2] : 0);
    for (int Shift = 18; Shift >= 0; Shift -= 6) FChars += UUChar((Bits >> Shift) & 0x3F);
    FBytes += Count;
  }
  bool Empty() const { return FChars.empty(); }
  void WriteLine() {
    FOut.Put(UUChar(FBytes));
    FOut.Put(FChars);
    FOut.Put("\r\n");
    FChars.clear();
    FBytes = 0;
  }

private:
  TTarget& FOut;
  std::string FChars;
  int FBytes = 0;
};

// Windows 1251 to DOS 866 for every byte: the letters, Ё, ё, №, Є, Ї, Ў, the degree
// sign and the rest that 866 has go to their places. 866 has no typographic quotes or
// dashes: they become their plain forms, as DOS texts wrote them. Only what 866 cannot
// show at all becomes "?".
const std::array<char, 256>& WinToDosTable() {
  static const std::array<char, 256> T = [] {
    std::array<char, 256> R{};
    for (int C = 0; C < 256; ++C) R[C] = static_cast<char>(C);
    Cp1251ToCp866Buf(R.data(), R.size());
    for (unsigned char C : {0x84, 0x93, 0x94, 0xAB, 0xBB}) R[C] = '"';
    for (unsigned char C : {0x82, 0x91, 0x92}) R[C] = '\'';
    for (unsigned char C : {0x96, 0x97}) R[C] = '-';
    return R;
  }();
  return T;
}

}  // namespace

void UUEncodeFile(const std::string& FileName, int Mode) {
  const std::string OutName = ChangeFileExt(FileName, ".uue");
  TSource In(FileName, SameFile(FileName, OutName));
  TTarget Out(OutName);
  Out.Put("begin " + IntToStr(Mode) + " " + ExtractFileName(FileName) + "\r\n");
  TUULines Lines(Out);
  std::vector<char> Buf(BlockSize);
  unsigned char Group[3];
  int InGroup = 0;
  for (int N; (N = In.Read(Buf.data(), BlockSize)) > 0;) {
    for (int I = 0; I < N; ++I) {
      if (InGroup == 3) {
        Lines.AddGroup(Group, 3);
        InGroup = 0;
      }
      Group[InGroup++] = static_cast<unsigned char>(Buf[I]);
    }
  }
  if (InGroup > 0) Lines.AddGroup(Group, InGroup);
  if (!Lines.Empty()) Lines.WriteLine();
  // The line of no bytes ends the data; uudecode refuses a file without it.
  Lines.WriteLine();
  Out.Put("end\r\n");
  Out.Flush();
}

TCnv::TCnv(TComponent* AOwner) : TComponent(AOwner) {}

const TClassInfo* TCnv::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCnv, TComponent>("TCnv")
                                     .Prop("InputFile", &TCnv::InputFile, &TCnv::SetInputFile)
                                     .Prop("OutputFile", &TCnv::OutputFile, &TCnv::SetOutputFile)
                                     .Build();
  return &Info;
}

void TCnv::Execute() {
  if (!FileExists(FInputFile)) return;
  TSource In(FInputFile, SameFile(FInputFile, FOutputFile));
  TTarget Out(FOutputFile);
  std::vector<char> Buf(BlockSize);
  for (int N; (N = In.Read(Buf.data(), BlockSize)) > 0;) {
    const auto& Table = WinToDosTable();
    for (int I = 0; I < N; ++I) Buf[I] = Table[static_cast<unsigned char>(Buf[I])];
    Out.Put(Buf.data(), N);
  }
  Out.Flush();
}

void SaveAsDosText(const std::string& Source, const std::string& FileName) {
  if (!FileExists(Source)) throw EInOutError("Cannot open " + Source, 2);
  const std::string Fresh = FileName + ".$$$";
  const std::string Old = FileName + ".~$$";
  if (FileExists(Fresh) && !DeleteFile(Fresh)) throw EInOutError("Cannot create " + Fresh, 5);
  try {
    TCnv Conv(nullptr);
    Conv.SetInputFile(Source);
    Conv.SetOutputFile(Fresh);
    Conv.Execute();
  } catch (...) {
    DeleteFile(Fresh);
    throw;
  }
  const bool Replacing = FileExists(FileName);
  if (Replacing) {
    if (FileExists(Old)) DeleteFile(Old);
    if (!RenameFile(FileName, Old)) {
      DeleteFile(Fresh);
      throw EInOutError("Cannot replace " + FileName, 5);
    }
  }
  if (!RenameFile(Fresh, FileName)) {
    if (Replacing) RenameFile(Old, FileName);
    DeleteFile(Fresh);
    throw EInOutError("Cannot write " + FileName, 5);
  }
  if (Replacing) DeleteFile(Old);
}

#include "tools/core/hex_model.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"

namespace {

// Bytes 128..255 of a Mac file, in order, as ANSI.
const unsigned char MacToAnsi[128] = {
    0xc4, 0xc5, 0xc7, 0xc9, 0xd1, 0xd6, 0xdc, 0xe1, 0xe0, 0xe2, 0xe4, 0xe3, 0xe5, 0xe7, 0xe9, 0xe8,
    0xea, 0xeb, 0xed, 0xec, 0xee, 0xef, 0xf1, 0xf3, 0xf2, 0xf4, 0xf6, 0xf5, 0xfa, 0xf9, 0xfb, 0xfc,
    0xdd, 0xb0, 0xa2, 0xa3, 0xa7, 0x80, 0xb6, 0xdf, 0xae, 0xa9, 0x81, 0xb4, 0xa8, 0x82, 0xc6, 0xd8,
    0x83, 0xb1, 0xbe, 0x84, 0xa5, 0xb5, 0x8f, 0x85, 0xbd, 0xbc, 0x86, 0xaa, 0xba, 0x87, 0xe6, 0xf8,
    0xbf, 0xa1, 0xac, 0x88, 0x9f, 0x89, 0x90, 0xab, 0xbb, 0x8a, 0xa0, 0xc0, 0xc3, 0xd5, 0x91, 0xa6,
    0xad, 0x8b, 0xb3, 0xb2, 0x8c, 0xb9, 0xf7, 0xd7, 0xff, 0x8d, 0x8e, 0xa4, 0xd0, 0xf0, 0xde, 0xfe,
    0xfd, 0xb7, 0x92, 0x93, 0x94, 0xc2, 0xca, 0xc1, 0xcb, 0xc8, 0xcd, 0xce, 0xcf, 0xcc, 0xd3, 0xd4,
    0x95, 0xd2, 0xda, 0xdb, 0xd9, 0x9e, 0x96, 0x97, 0xaf, 0x98, 0x99, 0x9a, 0xb8, 0x9b, 0x9c, 0x9d};

struct TTables {
  unsigned char AnsiToMac[256] = {};
  unsigned char EbcdicToAnsi[256] = {};
  unsigned char AnsiToEbcdic[256] = {};
  TTables() {
    for (int i = 0; i < 128; ++i) AnsiToMac[MacToAnsi[i]] = static_cast<unsigned char>(128 + i);
    auto Map = [&](int E, int A) { EbcdicToAnsi[E] = static_cast<unsigned char>(A); };
    auto Range = [&](int E, char From, char To) {
      for (int c = From; c <= To; ++c) Map(E + c - From, c);
    };
    Map(0x40, ' '); Map(0x4B, '.'); Map(0x4C, '<'); Map(0x4D, '('); Map(0x4E, '+'); Map(0x4F, 0xFE);
    Map(0x50, '&'); Map(0x51, '&'); Map(0x5A, '!'); Map(0x5B, '$'); Map(0x5C, '*'); Map(0x5D, ')');
    Map(0x5E, ';'); Map(0x60, '-'); Map(0x61, '/'); Map(0x6A, '|'); Map(0x6B, ','); Map(0x6C, '%');
    Map(0x6D, '_'); Map(0x6E, '>'); Map(0x6F, '?'); Map(0x79, '`'); Map(0x7A, ':'); Map(0x7B, '#');
    Map(0x7C, '@'); Map(0x7D, '\''); Map(0x7E, '='); Map(0x7F, '"');
    Range(0x81, 'a', 'i'); Range(0x91, 'j', 'r'); Map(0xA1, '~'); Range(0xA2, 's', 'z');
    Range(0xC1, 'A', 'I'); Range(0xD1, 'J', 'R'); Map(0xE0, '\\'); Range(0xE2, 'S', 'Z');
    Range(0xF0, '0', '9');
    // Walk downwards so that "&" maps back to 0x50, not 0x51.
    for (int e = 255; e >= 0; --e)
      if (EbcdicToAnsi[e] != 0) AnsiToEbcdic[EbcdicToAnsi[e]] = static_cast<unsigned char>(e);
  }
};

const TTables& Tables() {
  static const TTables T;
  return T;
}

unsigned char ToOem(unsigned char C) {
  char c = static_cast<char>(C);
  Cp1251ToCp866Buf(&c, 1);
  return static_cast<unsigned char>(c);
}

unsigned char FromOem(unsigned char C) {
  char c = static_cast<char>(C);
  Cp866ToCp1251Buf(&c, 1);
  return static_cast<unsigned char>(c);
}

// A whole-file copy in blocks; the target is created anew. False on any failure, and
// before a byte is written when the target is the source itself (creating it would empty
// the source first).
bool CopyWholeFile(const std::string& Source, const std::string& Target) {
  if (SameFile(Source, Target)) return false;
  try {
    TFileStream In(Source, fmOpenRead | fmShareDenyNone);
    std::int64_t Size = In.Size();
    TFileStream Out(Target, fmCreate);
    if (Size > 0 && Out.CopyFrom(&In, 0) != Size) return false;
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// Name, or Name with a number after it, that no file has.
std::string UnusedName(const std::string& Name) {
  std::string R = Name;
  for (int i = 1; FileExists(R) || DirectoryExists(R); ++i) R = Name + IntToStr(i);
  return R;
}

std::uint32_t Get32(const unsigned char* P) {
  return P[0] | (P[1] << 8) | (P[2] << 16) | (std::uint32_t(P[3]) << 24);
}

const char* const KindNames[8] = {"Byte changed",   "Byte(s) removed", "Insert buffer", "Replace selection",
                                  "Append buffer",  "Insert nibble",   "Delete nibble", "Convert"};

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

void Put32(std::string& S, int V) {
  auto U = static_cast<std::uint32_t>(V);
  for (int i = 0; i < 4; ++i) S += static_cast<char>((U >> (8 * i)) & 0xFF);
}

std::string Octal(int V) {
  std::string S;
  auto U = static_cast<unsigned>(V);
  do {
    S.insert(S.begin(), static_cast<char>('0' + (U & 7)));
    U >>= 3;
  } while (U != 0);
  return S;
}

std::string PadLeft(std::string S, int Width, char Fill) {
  if (static_cast<int>(S.size()) < Width) S.insert(0, Width - S.size(), Fill);
  return S;
}

}  // namespace

char HexDisplayChar(unsigned char B, TTranslationType T, bool MaskWhiteSpaces, char MaskChar) {
  unsigned char R = B;
  switch (T) {
    case ttAnsi: break;
    case ttDos8: R = FromOem(B); break;
    case ttASCII: R = B >= 128 ? static_cast<unsigned char>(MaskChar) : FromOem(B); break;
    case ttMac: R = B < 128 ? B : MacToAnsi[B - 128]; break;
    case ttEBCDIC:
      R = Tables().EbcdicToAnsi[B];
      if (R == 0) R = static_cast<unsigned char>(MaskChar);
      break;
  }
  if (MaskWhiteSpaces && R < 32) R = static_cast<unsigned char>(MaskChar);
  return static_cast<char>(R);
}

unsigned char HexEntryByte(unsigned char C, TTranslationType T) {
  switch (T) {
    case ttAnsi: return C >= 32 ? C : 0;
    case ttDos8: return C >= 32 ? ToOem(C) : 0;
    case ttASCII: return C >= 32 && C < 128 ? ToOem(C) : 0;
    case ttMac: return C < 32 ? 0 : C < 128 ? C : Tables().AnsiToMac[C];
    case ttEBCDIC: return Tables().AnsiToEbcdic[C];
  }
  return 0;
}

std::string HexTranslateBuffer(const std::string& S, TTranslationType T) {
  std::string R = S;
  switch (T) {
    case ttAnsi: break;
    case ttDos8:
    case ttASCII: Cp1251ToCp866Buf(R.data(), R.size()); break;
    case ttMac:
      for (char& c : R) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 128) c = static_cast<char>(Tables().AnsiToMac[u]);
      }
      break;
    case ttEBCDIC:
      for (char& c : R) c = static_cast<char>(Tables().AnsiToEbcdic[static_cast<unsigned char>(c)]);
      break;
  }
  return R;
}

// ---------------------------------------------------------------------------------------

THexModel::THexModel(std::string WorkFileName) : FWorkFileName(std::move(WorkFileName)), FBuffer(BufferSize) {
  std::fill(std::begin(FMarkers), std::end(FMarkers), -1);
}

THexModel::~THexModel() {
  CloseWork();
  DeleteFile(FWorkFileName);
}

std::string THexModel::NewWorkFileName(const std::string& TempFolder, std::uint32_t Tick) {
  static std::mutex Lock;
  static std::set<std::string> Given;
  std::lock_guard<std::mutex> Hold(Lock);
  std::string Dir = Trim(TempFolder);
  if (!Dir.empty() && Dir.back() != '\\') Dir += '\\';
  std::string Name;
  do {
    Name = Dir + IntToHex(static_cast<std::int64_t>(Tick++), 8) + ".MPHT";
  } while (FileExists(Name) || Given.count(UpperCase(Name)) != 0);
  Given.insert(UpperCase(Name));
  THandle H = FileCreate(Name);
  if (H != INVALID_FILE_HANDLE) FileClose(H);
  return Name;
}

void THexModel::StateChanged() {
  if (OnStateChanged) OnStateChanged();
}

void THexModel::CloseWork() {
  FWork.reset();
  FSource.reset();
  FSourceName.clear();
  FPatches.clear();
  InvalidateBuffer();
}

// While the user's file is shown, other programs may read it but not change it under the
// editor; one that holds it open for writing still lets it be read.
bool THexModel::OpenSource(std::string& Error) {
  for (unsigned Share : {fmShareDenyWrite, fmShareDenyNone}) {
    try {
      FSource = std::make_unique<TFileStream>(FSourceName, fmOpenRead | Share);
      return true;
    } catch (const Exception& E) {
      Error = E.Message();
    }
  }
  return false;
}

TStream* THexModel::Data() {
  if (FWork) return FWork.get();
  if (!FSource && !FSourceName.empty()) {
    std::string Error;
    if (!OpenSource(Error)) return nullptr;
    InvalidateBuffer();
  }
  return FSource.get();
}

void THexModel::ReleaseSource() {
  if (!FSource || !FPatches.empty()) return;
  FSource.reset();
  InvalidateBuffer();
}

void THexModel::InvalidateBuffer() {
  FBufferStart = -1;
  FBufferLen = 0;
  FCachedSize = -1;
}

// The first change of size makes the work file: a copy of the user's file with the bytes
// overwritten so far, or an empty one. A failed copy raises, and the change is not made.
void THexModel::EnsureWork() {
  if (FWork) return;
  {
    // The user's file again, when it was let go.
    if (!FSourceName.empty() && Data() == nullptr) throw EFOpenError("Cannot open file " + FSourceName);
    TFileStream Create(FWorkFileName, fmCreate);
    if (FSource) {
      std::int64_t Size = FSource->Size();
      if (Size > 0 && Create.CopyFrom(FSource.get(), 0) != Size) throw EWriteError("Stream write error");
      for (const auto& [Offset, Byte] : FPatches) {
        Create.SetPosition(Offset);
        Create.WriteBuffer(&Byte, 1);
      }
    }
  }
  FileSetAttr(FWorkFileName, 0);
  FWork = std::make_unique<TFileStream>(FWorkFileName, fmOpenReadWrite | fmShareDenyWrite);
  FSource.reset();
  FSourceName.clear();
  FPatches.clear();
  InvalidateBuffer();
}

bool THexModel::ChangesSize(int Kind, int Count, int Count2) {
  return Kind == ukRemove || Kind == ukInsertBuffer || Kind == ukAppendBuffer || Kind == ukNibbleInsert ||
         Kind == ukNibbleDelete || (Kind == ukReplace && Count != Count2);
}

void THexModel::ApplyPatches(int Offset, unsigned char* Buffer, int Count) const {
  for (auto It = FPatches.lower_bound(Offset); It != FPatches.end() && It->first < Offset + Count; ++It)
    Buffer[It->first - Offset] = It->second;
}

int THexModel::DataSize() {
  TStream* S = Data();
  if (!S) return 0;
  if (FCachedSize < 0 || FBufferStart < 0) FCachedSize = static_cast<int>(S->Size());
  return FCachedSize;
}

unsigned char THexModel::GetByte(int Offset) {
  TStream* S = Data();
  if (!S || Offset < 0) return 0;
  if (FBufferStart < 0 || Offset < FBufferStart || Offset + FBytesPerLine > FBufferStart + BufferSize) {
    FCachedSize = -1;
    FBufferStart = std::max(0, Offset - BufferSize / 2);
    S->SetPosition(FBufferStart);
    FBufferLen = std::max(0, S->Read(FBuffer.data(), BufferSize));
    ApplyPatches(FBufferStart, FBuffer.data(), FBufferLen);
  }
  int i = Offset - FBufferStart;
  return i < FBufferLen ? FBuffer[i] : 0;
}

std::string THexModel::ReadBytes(int Offset, int Count) {
  int Size = DataSize();
  if (Offset < 0 || Count <= 0 || Offset >= Size) return {};
  Count = std::min(Count, Size - Offset);
  std::string S(Count, '\0');
  Data()->SetPosition(Offset);
  Data()->ReadBuffer(S.data(), Count);
  ApplyPatches(Offset, reinterpret_cast<unsigned char*>(S.data()), Count);
  return S;
}

void THexModel::WriteAt(int Offset, const std::string& Data) {
  if (Data.empty()) return;
  if (FWork) {
    FWork->SetPosition(Offset);
    FWork->WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
  } else {
    for (std::size_t i = 0; i < Data.size(); ++i)
      FPatches[Offset + static_cast<int>(i)] = static_cast<unsigned char>(Data[i]);
  }
  // Keep the read window in step with what was written.
  for (int i = 0; i < static_cast<int>(Data.size()); ++i) {
    int j = Offset + i - FBufferStart;
    if (FBufferStart >= 0 && j >= 0 && j < FBufferLen) FBuffer[j] = static_cast<unsigned char>(Data[i]);
  }
}

void THexModel::MoveBlock(int From, int To, int Count) {
  std::vector<char> Tmp(std::min(Count, BufferSize));
  auto Step = [&](int Pos, int N) {
    FWork->SetPosition(From + Pos);
    FWork->ReadBuffer(Tmp.data(), N);
    FWork->SetPosition(To + Pos);
    FWork->WriteBuffer(Tmp.data(), N);
  };
  if (To > From) {
    for (int Left = Count; Left > 0;) {
      int N = std::min(Left, BufferSize);
      Left -= N;
      Step(Left, N);
    }
  } else {
    for (int Done = 0; Done < Count;) {
      int N = std::min(Count - Done, BufferSize);
      Step(Done, N);
      Done += N;
    }
  }
}

void THexModel::RawDelete(int Offset, int Count) {
  int Size = DataSize();
  MoveBlock(Offset + Count, Offset, Size - Offset - Count);
  FWork->SetSize(Size - Count);
  InvalidateBuffer();
}

void THexModel::RawInsert(int Offset, const std::string& Data) {
  int Size = DataSize();
  int N = static_cast<int>(Data.size());
  FWork->SetSize(static_cast<std::int64_t>(Size) + N);
  MoveBlock(Offset, Offset + N, Size - Offset);
  InvalidateBuffer();
  WriteAt(Offset, Data);
}

// ---------------------------------------------------------------------------------------
// Loading and saving.

bool THexModel::LoadFromFile(const std::string& FileName) {
  THandle H = FileOpen(FileName, fmOpenRead | fmShareDenyNone);
  if (H == INVALID_FILE_HANDLE) {
    FLastError = "Cannot open file " + FileName + ": " + SysErrorMessage(GetLastOSError());
    return false;
  }
  std::int64_t Size = FileSeek(H, 0, soFromEnd);
  FileClose(H);
  if (Size < 0 || Size > MaxFileSize) {
    FLastError = "Cannot open file " + FileName + ": the hex editor opens files of less than 2 GB";
    return false;
  }
  H = FileOpen(FileName, fmOpenReadWrite | fmShareDenyNone);
  bool NotWritable = H == INVALID_FILE_HANDLE;
  if (!NotWritable) FileClose(H);

  // The file is read where it is until the first change of size copies it.
  std::unique_ptr<TFileStream> Old = std::move(FSource);
  std::string OldName = FSourceName;
  FSourceName = FileName;
  if (!OpenSource(FLastError)) {
    FSource = std::move(Old);
    FSourceName = OldName;
    return false;
  }
  std::unique_ptr<TFileStream> Source = std::move(FSource);
  CloseWork();
  FSource = std::move(Source);
  FSourceName = FileName;
  InvalidateBuffer();
  FReadOnlyFile = NotWritable;
  FFileName = FileName;
  ResetUndo();
  FChanged.clear();
  FModified = false;
  FSelStart = FSelAnchor = FSelEnd = -1;
  FCursor = 0;
  FNibble = 0;
  FInCharField = false;
  StateChanged();
  return true;
}

bool THexModel::SaveToFile(const std::string& Name) {
  FLastError = "Cannot save " + Name;
  if (!FWork && !FSourceName.empty() && !FPatches.empty()) {
    try {
      EnsureWork();  // bytes were overwritten: the whole document goes through the work file
    } catch (const Exception& E) {
      FLastError = "Cannot save " + Name + ": " + E.Message();
      return false;
    }
  }
  bool Unchanged = !FWork && !FSourceName.empty() && SameFile(Name, FSourceName);
  if (Unchanged) {
    // Saving the shown file, never changed, onto itself: it already holds every byte.
    FFileName = Name;
  } else {
    int Attr = FileGetAttr(Name);
    if (Attr >= 0 && (Attr & (faReadOnly | faDirectory))) {
      FLastError = "Cannot save " + Name + ((Attr & faDirectory) ? ": a folder has that name" : ": the file is read-only");
      return false;
    }
    if (CreateBackup && FModified && Name == FFileName && FileExists(Name)) {
      // A document named like its own backup ("x.bak" with ".bak") keeps no backup: the
      // copy would be the file itself.
      std::string Backup = ChangeFileExt(Name, BackupExtension);
      if (!SameFile(Name, Backup) && !CopyWholeFile(Name, Backup)) {
        FLastError = "Cannot create the backup " + Backup;
        return false;
      }
    }
    std::string From;
    if (FWork) {
      From = FWorkFileName;
    } else if (!FSourceName.empty()) {
      From = FSourceName;
    } else {
      try {
        EnsureWork();  // a new document, never typed in: an empty file
      } catch (const Exception&) {
        return false;
      }
      From = FWorkFileName;
    }
    bool Reopen = FWork != nullptr;
    FWork.reset();
    // Write a whole copy beside the target, then swap it in: a failure on the way leaves
    // the old file as it was.
    std::string Temp = UnusedName(Name + ".~zx");
    std::string Old = UnusedName(Name + ".~zxold");
    bool Ok = CopyWholeFile(From, Temp);
    bool HadTarget = Ok && FileExists(Name);
    if (Ok && HadTarget) Ok = RenameFile(Name, Old);
    if (Ok) {
      Ok = RenameFile(Temp, Name);
      if (!Ok && HadTarget) RenameFile(Old, Name);
    }
    if (HadTarget && Ok) DeleteFile(Old);
    if (!Ok) DeleteFile(Temp);
    if (Reopen) {
      try {
        FWork = std::make_unique<TFileStream>(FWorkFileName, fmOpenReadWrite | fmShareDenyWrite);
      } catch (const Exception& E) {
        // The saved file holds the document: show that one.
        FLastError = E.Message();
        Ok = false;
      }
    }
    InvalidateBuffer();
    if (!Ok) {
      StateChanged();
      return false;
    }
  }
  FChanged.clear();
  FModified = false;
  FReadOnlyFile = false;
  FFileName = Name;
  ResetUndo();
  StateChanged();
  return true;
}

void THexModel::CreateEmptyFile(const std::string& Name) {
  CloseWork();
  // Emptied, not removed: the name stays taken.
  THandle H = FileCreate(FWorkFileName);
  if (H != INVALID_FILE_HANDLE) FileClose(H);
  ResetUndo();
  FSelStart = FSelAnchor = FSelEnd = -1;
  FChanged.clear();
  FModified = false;
  FReadOnlyFile = true;
  FFileName = Name;
  FCursor = 0;
  FNibble = 0;
  FInCharField = false;
  StateChanged();
}

// ---------------------------------------------------------------------------------------
// Properties.

void THexModel::SetReadOnlyFile(bool Value) {
  if (Value && !FReadOnlyFile) {
    FReadOnlyFile = true;
    StateChanged();
  }
}

void THexModel::SetModified(bool Value) {
  FModified = Value;
  if (!Value) {
    FChanged.clear();
    FUndoPossible = false;
  }
  StateChanged();
}

bool THexModel::ByteChanged(int Offset) const {
  return FChanged.count(Offset) != 0;
}

void THexModel::SetBytesPerLine(int Value) {
  if (Value < 1 || Value > 256) throw Exception("Invalid BytesPerLine argument");
  FBytesPerLine = Value;
  InvalidateBuffer();
}

void THexModel::SetNoSizeChange(bool Value) {
  FNoSizeChange = Value;
  FCursor = std::min(FCursor, MaxCursor());
}

void THexModel::ToggleInsertMode() {
  FInsertMode = !FInsertMode;
  FChanged.clear();
  StateChanged();
}

// ---------------------------------------------------------------------------------------
// Cursor and selection.

int THexModel::MaxCursor() {
  int Size = DataSize();
  if (Size == 0) return 0;
  return FNoSizeChange ? Size - 1 : Size;
}

int THexModel::GetCursorPos() {
  int Size = DataSize();
  return std::clamp(FCursor, 0, std::max(0, Size - 1));
}

void THexModel::ClearSelection() {
  if (FSelStart < 0) return;
  FSelStart = FSelAnchor = FSelEnd = -1;
  StateChanged();
}

void THexModel::Select(int From, int To) {
  int Size = DataSize();
  if (Size == 0) return;
  From = std::clamp(From, 0, Size - 1);
  To = std::clamp(To, 0, Size - 1);
  FSelAnchor = From;
  FSelStart = std::min(From, To);
  FSelEnd = std::max(From, To);
  FCursor = To;
  FNibble = 0;
  StateChanged();
}

void THexModel::MoveTo(int Offset, int Nibble, bool Extend) {
  Offset = std::clamp(Offset, 0, MaxCursor());
  if (Extend && DataSize() > 0) {
    int Anchor = FSelStart >= 0 ? FSelAnchor : GetCursorPos();
    Select(Anchor, Offset);
    FCursor = Offset;
  } else {
    ClearSelection();
    FCursor = Offset;
  }
  FNibble = FInCharField ? 0 : (Nibble != 0 ? 1 : 0);
}

void THexModel::SetInCharField(bool Value) {
  FInCharField = Value;
  FNibble = 0;
}

void THexModel::MoveLeft(bool Extend) {
  if (!FInCharField && FNibble == 1)
    MoveTo(FCursor, 0, Extend);
  else if (FCursor > 0)
    MoveTo(FCursor - 1, 1, Extend);
}

void THexModel::MoveRight(bool Extend) {
  if (!FInCharField && FNibble == 0 && FCursor < DataSize())
    MoveTo(FCursor, 1, Extend);
  else if (FCursor < MaxCursor())
    MoveTo(FCursor + 1, 0, Extend);
}

bool THexModel::Seek(int Offset, int Origin, bool FailIfOutside) {
  int Size = DataSize();
  if (Size == 0) return false;
  std::int64_t Target = Origin == 1 ? std::int64_t(GetCursorPos()) + Offset
                        : Origin == 2 ? std::int64_t(Size) + Offset - 1
                                      : std::int64_t(Offset);
  if (Target < 0 || Target >= Size) {
    if (FailIfOutside) return false;
    Target = std::clamp<std::int64_t>(Target, 0, Size - 1);
  }
  MoveTo(static_cast<int>(Target), 0, false);
  return true;
}

int THexModel::GetSelStart() { return FSelStart >= 0 ? FSelAnchor : GetCursorPos(); }

int THexModel::GetSelEnd() {
  if (FSelStart < 0) return GetCursorPos();
  return FSelAnchor == FSelStart ? FSelEnd : FSelStart;
}

void THexModel::SetSelStart(int Offset) {
  if (Offset < 0 || Offset >= DataSize()) throw Exception("Invalid SelStart");
  MoveTo(Offset, 0, false);
}

void THexModel::SetSelEnd(int Offset) {
  if (Offset < 0 || Offset >= DataSize()) throw Exception("Invalid SelEnd");
  Select(GetCursorPos(), Offset);
}

void THexModel::SetMarker(int Index, int Row) {
  if (Index < 0 || Index > 9) throw Exception("SetMarker : Invalid marker index");
  FMarkers[Index] = Row;
}

int THexModel::Marker(int Index) const {
  if (Index < 0 || Index > 9) throw Exception("SetMarker : Invalid marker index");
  return FMarkers[Index];
}

bool THexModel::GotoMarker(int Index) {
  int Row = Marker(Index);
  int Size = DataSize();
  if (Row < 0 || Size == 0) return false;
  std::int64_t Target = std::int64_t(Row) * FBytesPerLine + GetCursorPos() % FBytesPerLine;
  MoveTo(static_cast<int>(std::min<std::int64_t>(Target, Size - 1)), 0, false);
  return true;
}

// ---------------------------------------------------------------------------------------
// Changes and the undo journal.

bool THexModel::MayChange(THexUndoKind Kind, int Count, int Count2) {
  bool SizeChanging = Kind == ukInsertBuffer || Kind == ukAppendBuffer;
  if (DataSize() == 0 && !SizeChanging) return false;
  if (FNoSizeChange) {
    if (Kind == ukRemove || SizeChanging || Kind == ukNibbleInsert || Kind == ukNibbleDelete) return false;
    if (Kind == ukReplace && Count != Count2) return false;
  }
  return true;
}

void THexModel::RecordUndo(THexUndoKind Kind, int Pos, int Count, int Count2, const std::string& Data) {
  if (FSourceName.empty() || ChangesSize(Kind, Count, Count2)) EnsureWork();
  bool WasModified = FModified;
  FUndoPossible = true;
  FModified = true;
  std::string R;
  R += static_cast<char>(Kind);
  bool ByteKind = Kind == ukByteChange || Kind == ukNibbleInsert || Kind == ukNibbleDelete;
  R += static_cast<char>(ByteKind && ByteChanged(Pos) ? 1 : 0);
  R += static_cast<char>(WasModified ? 1 : 0);
  Put32(R, FCursor);
  R += static_cast<char>(FInCharField ? 0 : FNibble);
  R += static_cast<char>(FInCharField ? 1 : 0);
  Put32(R, FSelStart);
  Put32(R, FSelEnd);
  Put32(R, FSelAnchor);
  Put32(R, Pos);
  Put32(R, Count);
  Put32(R, Count2);
  R += Data;
  Put32(R, static_cast<int>(R.size()) + 4);
  if (!FJournal) FJournal = std::make_unique<TMemoryStream>();
  FJournal->Seek(0, soFromEnd);
  FJournal->WriteBuffer(R.data(), static_cast<std::int64_t>(R.size()));
  ++FUndoCount;
  if (FUndoCount > MaxUndo) {
    // Walk back over the records to keep, by their trailing lengths; drop what is before.
    auto* P = static_cast<unsigned char*>(FJournal->Memory());
    std::int64_t End = FJournal->Size();
    for (int i = 0; i < MaxUndo; ++i) {
      std::uint32_t Len = P[End - 4] | (P[End - 3] << 8) | (P[End - 2] << 16) | (std::uint32_t(P[End - 1]) << 24);
      End -= Len;
    }
    std::int64_t Keep = FJournal->Size() - End;
    std::memmove(P, P + End, static_cast<std::size_t>(Keep));
    FJournal->SetSize(Keep);
    --FUndoCount;
  }
  FUndoDescription = KindNames[Kind];
  if (!WasModified) StateChanged();
}

void THexModel::ResetUndo() {
  FJournal.reset();
  FUndoPossible = false;
  FUndoDescription = "No Undo";
  FUndoCount = 0;
  StateChanged();
}

std::string THexModel::UndoJournal() const {
  if (!FJournal) return {};
  return std::string(static_cast<const char*>(FJournal->Memory()), static_cast<std::size_t>(FJournal->Size()));
}

bool THexModel::Undo() {
  if (!FJournal || FUndoCount <= 0 || FJournal->Size() < UndoHeaderSize + 4) return false;
  auto* P = static_cast<unsigned char*>(FJournal->Memory());
  std::int64_t End = FJournal->Size();
  std::uint32_t Len = Get32(P + End - 4);
  if (Len < UndoHeaderSize + 4 || Len > End) return false;
  const unsigned char* R = P + End - Len;
  int Kind = R[0];
  bool WasChanged = R[1] != 0;
  bool WasModified = R[2] != 0;
  int Cursor = static_cast<int>(Get32(R + 3));
  int Nibble = R[7];
  bool InChar = R[8] != 0;
  int SelStart = static_cast<int>(Get32(R + 9));
  int SelEnd = static_cast<int>(Get32(R + 13));
  int Anchor = static_cast<int>(Get32(R + 17));
  int Pos = static_cast<int>(Get32(R + 21));
  int Count = static_cast<int>(Get32(R + 25));
  int Count2 = static_cast<int>(Get32(R + 29));
  std::string Old(reinterpret_cast<const char*>(R + UndoHeaderSize), Len - UndoHeaderSize - 4);
  FJournal->SetSize(End - Len);
  --FUndoCount;

  if (FSourceName.empty() || ChangesSize(Kind, Count, Count2)) EnsureWork();
  // Bits of the bytes from Pos on move by Delta with them.
  auto ShiftChanged = [&](int From, int Delta) {
    std::set<int> Kept(FChanged.begin(), FChanged.lower_bound(From));
    for (auto It = FChanged.lower_bound(Delta < 0 ? From - Delta : From); It != FChanged.end(); ++It)
      Kept.insert(Kept.end(), *It + Delta);
    FChanged.swap(Kept);
  };
  switch (Kind) {
    case ukByteChange:
      WriteAt(Pos, Old.substr(0, 1));
      if (WasChanged)
        FChanged.insert(Pos);
      else
        FChanged.erase(Pos);
      break;
    case ukInsertBuffer:
    case ukAppendBuffer:
    case ukNibbleInsert:
      RawDelete(Pos, Count);
      ShiftChanged(Pos, -Count);
      break;
    case ukRemove:
      RawInsert(Pos, Old);
      ShiftChanged(Pos, Count);
      break;
    case ukReplace:
      if (Count == Count2) {
        WriteAt(Pos, Old);
      } else {
        RawDelete(Pos, Count2);
        RawInsert(Pos, Old);
        CutChanged(Pos);
      }
      for (int i = 0; i < Count; ++i) FChanged.erase(Pos + i);
      break;
    case ukConvert:
      WriteAt(Pos, Old);
      break;
    default:
      break;
  }
  FModified = WasModified;
  if (!WasModified) FChanged.clear();
  FCursor = std::clamp(Cursor, 0, MaxCursor());
  FInCharField = InChar;
  FNibble = InChar ? 0 : Nibble;
  int Size = DataSize();
  if (SelStart >= 0 && SelEnd < Size && SelStart <= SelEnd) {
    FSelStart = SelStart;
    FSelEnd = SelEnd;
    FSelAnchor = Anchor;
  } else {
    FSelStart = FSelEnd = FSelAnchor = -1;
  }
  FUndoPossible = FUndoCount > 0;
  if (FUndoCount > 0) {
    std::int64_t Rest = FJournal->Size();
    P = static_cast<unsigned char*>(FJournal->Memory());
    FUndoDescription = KindNames[P[Rest - Get32(P + Rest - 4)] & 7];
  } else {
    FUndoDescription = "No Undo";
  }
  StateChanged();
  return true;
}

const char* THexModel::UndoKindName(int Kind) { return Kind >= 0 && Kind < 8 ? KindNames[Kind] : ""; }

void THexModel::SetChanged(int Offset) {
  if (!EffectiveInsertMode()) FChanged.insert(Offset);
}

void THexModel::CutChanged(int Offset) { FChanged.erase(FChanged.lower_bound(Offset), FChanged.end()); }

void THexModel::SetByteAt(int Offset, unsigned char B, THexUndoKind Kind) {
  RecordUndo(Kind, Offset, 1, 0, std::string(1, static_cast<char>(GetByte(Offset))));
  WriteAt(Offset, std::string(1, static_cast<char>(B)));
  SetChanged(Offset);
}

bool THexModel::InsertByteAt(int Offset, unsigned char B, THexUndoKind Kind) {
  bool Append = Offset >= DataSize();
  if (Append) Kind = ukAppendBuffer;
  if (!MayChange(Kind, 1, 1)) return false;
  EnsureWork();
  std::string Old = Kind == ukNibbleInsert ? std::string(1, static_cast<char>(GetByte(Offset))) : std::string(1, '\0');
  RecordUndo(Kind, Offset, 1, 0, Old);
  RawInsert(Offset, std::string(1, static_cast<char>(B)));
  CutChanged(Offset);
  SetChanged(Offset);
  return true;
}

bool THexModel::TypeChar(char C) {
  unsigned char B = HexEntryByte(static_cast<unsigned char>(C), Translation);
  if (B < 32) return false;
  int Pos = FCursor;
  if (Pos >= DataSize() || EffectiveInsertMode()) {
    if (!InsertByteAt(Pos, B, ukInsertBuffer)) return false;
  } else {
    if (!MayChange(ukByteChange)) return false;
    SetByteAt(Pos, B, ukByteChange);
  }
  ClearSelection();
  FCursor = Pos;
  MoveRight(false);
  return true;
}

bool THexModel::TypeNibble(char C) {
  int V = HexValue(C);
  if (V < 0 || FInCharField) return false;
  int Pos = FCursor;
  bool High = (FNibble == 0) != SwapNibbles;
  if (Pos >= DataSize() || (EffectiveInsertMode() && FNibble == 0)) {
    if (!InsertByteAt(Pos, static_cast<unsigned char>(High ? V << 4 : V), ukNibbleInsert)) return false;
  } else {
    if (!MayChange(ukByteChange)) return false;
    unsigned char Old = GetByte(Pos);
    SetByteAt(Pos, static_cast<unsigned char>(High ? (Old & 0x0F) | (V << 4) : (Old & 0xF0) | V), ukByteChange);
  }
  ClearSelection();
  FCursor = Pos;
  MoveRight(false);
  return true;
}

bool THexModel::DeleteBytes(int Offset, int Count) {
  int Size = DataSize();
  if (Offset < 0 || Count < 1 || Offset >= Size || Count > Size - Offset) return false;
  if (!MayChange(ukRemove, Count)) return false;
  RecordUndo(ukRemove, Offset, Count, 0, ReadBytes(Offset, Count));
  RawDelete(Offset, Count);
  // The bits of the bytes after the gap move down with them.
  std::set<int> Kept(FChanged.begin(), FChanged.lower_bound(Offset));
  for (auto It = FChanged.lower_bound(Offset + Count); It != FChanged.end(); ++It) Kept.insert(Kept.end(), *It - Count);
  FChanged.swap(Kept);
  ClearSelection();
  FCursor = std::clamp(FCursor, 0, std::max(0, DataSize() - 1));
  if (FInCharField) FNibble = 0;
  return true;
}

bool THexModel::DeleteSelection() {
  if (HasSelection()) {
    int Start = FSelStart;
    if (!DeleteBytes(Start, FSelEnd - FSelStart + 1)) return false;
    FCursor = std::clamp(Start, 0, std::max(0, DataSize() - 1));
    FNibble = 0;
    return true;
  }
  return DeleteBytes(FCursor, 1);
}

bool THexModel::Backspace() {
  if (!EffectiveInsertMode()) {
    MoveLeft(false);
    return false;
  }
  if (HasSelection()) return DeleteSelection();
  if (FCursor <= 0) return false;
  int Pos = FCursor - 1;
  if (!DeleteBytes(Pos, 1)) return false;
  FCursor = Pos;
  FNibble = 0;
  return true;
}

bool THexModel::DeleteKey(bool Ctrl) {
  if (Ctrl) return DeleteSelection();
  if (!EffectiveInsertMode()) return false;
  return DeleteSelection();
}

bool THexModel::InsertBuffer(int Offset, const std::string& Data) {
  if (Data.empty() || Offset < 0 || Offset > DataSize()) return false;
  if (!MayChange(ukInsertBuffer)) return false;
  EnsureWork();
  RecordUndo(ukInsertBuffer, Offset, static_cast<int>(Data.size()), 0, std::string(1, '\0'));
  RawInsert(Offset, Data);
  CutChanged(Offset);
  if (Offset == FCursor) {
    Select(Offset, Offset + static_cast<int>(Data.size()) - 1);
    FSelAnchor = Offset;
    FCursor = Offset;
  }
  return true;
}

bool THexModel::AppendBuffer(const std::string& Data) {
  if (Data.empty() || !MayChange(ukAppendBuffer)) return false;
  EnsureWork();
  int Start = DataSize();
  RecordUndo(ukAppendBuffer, Start, static_cast<int>(Data.size()), 0, std::string(1, '\0'));
  RawInsert(Start, Data);
  Select(Start, Start + static_cast<int>(Data.size()) - 1);
  FSelAnchor = Start;
  FCursor = Start;
  return true;
}

bool THexModel::ReplaceSelection(const std::string& Data) {
  if (!HasSelection()) return false;
  int Pos = FSelStart;
  int Count = FSelEnd - FSelStart + 1;
  std::string New = Data;
  if (FNoSizeChange) {
    // The size must not change: cut the buffer, or shrink the selection to it.
    if (static_cast<int>(New.size()) > Count) New.resize(Count);
    Count = static_cast<int>(New.size());
  }
  int Count2 = static_cast<int>(New.size());
  if (Count2 == 0 || !MayChange(ukReplace, Count, Count2)) return false;
  // The record keeps every byte replaced, so that undo can put a longer run back.
  RecordUndo(ukReplace, Pos, Count, Count2, ReadBytes(Pos, Count));
  if (Count == Count2) {
    WriteAt(Pos, New);
  } else {
    RawDelete(Pos, Count);
    RawInsert(Pos, New);
    CutChanged(Pos);
  }
  for (int i = 0; i < Count2; ++i) SetChanged(Pos + i);
  Select(Pos, Pos + Count2 - 1);
  FCursor = Pos;
  return true;
}

// ---------------------------------------------------------------------------------------

int THexModel::Find(const std::string& Data, int FromOffset, int ToOffset, bool Translate, bool IgnoreCase) {
  int Count = static_cast<int>(Data.size());
  int Size = DataSize();
  ToOffset = std::min(ToOffset, Size - 1);
  if (Count < 1 || FromOffset < 0 || std::int64_t(FromOffset) + Count > std::int64_t(ToOffset) + 1) return -1;
  std::string Pat = Translate && Translation != ttAnsi ? HexTranslateBuffer(Data, Translation) : Data;
  if (IgnoreCase)
    for (char& c : Pat) c = AnsiLowerChar(c);
  for (int Start = FromOffset; Start + Count <= ToOffset + 1; ++Start) {
    int i = 0;
    for (; i < Count; ++i) {
      char b = static_cast<char>(GetByte(Start + i));
      if (IgnoreCase) b = AnsiLowerChar(b);
      if (b != Pat[i]) break;
    }
    if (i == Count) return Start;
  }
  return -1;
}

int THexModel::OffsetWidth(TOffsetDisplayStyle Style) {
  int Size = DataSize();
  int Rows = std::max(1, (Size + FBytesPerLine - 1) / FBytesPerLine);
  int Last = (Rows - 1) * FBytesPerLine;
  switch (Style) {
    case odHex: return static_cast<int>(IntToHex(Last, 1).size()) + 3;
    case odOctal: return static_cast<int>(Octal(Last).size()) + 3;
    case odDec: return static_cast<int>(IntToStr(Last).size()) + 1;
    case odNone: return 0;
  }
  return 0;
}

std::string THexModel::OffsetText(int Offset, TOffsetDisplayStyle Style, int Width, char Separator, bool Empty) {
  if (Empty) {
    switch (Style) {
      case odHex: return "0x0";
      case odOctal: return "o 0";
      default: return std::string(1, Separator);
    }
  }
  switch (Style) {
    case odHex: return "0x" + PadLeft(IntToHex(Offset, 1), Width - 3, '0') + Separator;
    case odOctal: return "o " + PadLeft(Octal(Offset), Width - 3, '0') + Separator;
    case odDec: return PadLeft(IntToStr(Offset), Width - 1, ' ') + Separator;
    case odNone: return " ";
  }
  return {};
}

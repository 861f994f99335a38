#include "classlib/core/ini_file.h"

#include <memory>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"

// ---------------------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) {
  return StrToIntDef(ReadString(Section, Ident, ""), Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) {
  return StrToFloatDef(ReadString(Section, Ident, ""), Default);
}

void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

bool TCustomIniFile::SectionExists(const std::string& Section) {
  TStringList L;
  ReadSection(Section, &L);
  return L.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  TStringList L;
  ReadSection(Section, &L);
  return L.IndexOf(Trim(Ident)) >= 0;
}

// ---------------------------------------------------------------------------------------
// TIniFile

namespace {

// The file as lines, with the line break it uses.
struct TIniText {
  std::vector<std::string> Lines;
  std::string Eol = "\r\n";
};

bool ParseSection(const std::string& Line, std::string& Name) {
  std::size_t B = 0;
  while (B < Line.size() && static_cast<unsigned char>(Line[B]) <= ' ') ++B;
  if (B >= Line.size() || Line[B] != '[') return false;
  std::size_t E = Line.find(']', B + 1);
  if (E == std::string::npos) return false;
  Name = Trim(std::string_view(Line).substr(B + 1, E - B - 1));
  return true;
}

// A "key=value" line; comment lines (";") and other lines are not keys.
bool ParseKey(const std::string& Line, std::string& Key, std::string& Value) {
  std::size_t B = 0;
  while (B < Line.size() && static_cast<unsigned char>(Line[B]) <= ' ') ++B;
  if (B >= Line.size() || Line[B] == ';' || Line[B] == '[') return false;
  std::size_t Eq = Line.find('=', B);
  if (Eq == std::string::npos) return false;
  Key = Trim(std::string_view(Line).substr(B, Eq - B));
  Value = Line.substr(Eq + 1);
  return true;
}

bool IsSectionLine(const std::string& Line) {
  std::string Name;
  return ParseSection(Line, Name);
}

// The header line of the first section of that name, -1 when none.
int FindSection(const TIniText& T, const std::string& Section, int From = 0) {
  std::string Name, Want = Trim(Section);
  for (int I = From; I < static_cast<int>(T.Lines.size()); ++I)
    if (ParseSection(T.Lines[I], Name) && AnsiSameText(Name, Want)) return I;
  return -1;
}

int SectionEnd(const TIniText& T, int Header) {
  int I = Header + 1;
  while (I < static_cast<int>(T.Lines.size()) && !IsSectionLine(T.Lines[I])) ++I;
  return I;
}

// The value as the reader gives it: trimmed, one pair of enclosing quotes removed, cut
// to what the 1024-byte buffer of the profile reader holds.
std::string ReadValue(const std::string& Raw) {
  std::string V = Trim(Raw);
  if (V.size() >= 2 && (V[0] == '"' || V[0] == '\'') && V.back() == V[0]) V = V.substr(1, V.size() - 2);
  if (V.size() > TIniFile::MaxValueLength) V.resize(TIniFile::MaxValueLength);
  return V;
}

TIniText SplitText(const std::string& S) {
  TIniText T;
  std::size_t FirstBreak = S.find_first_of("\r\n");
  if (FirstBreak != std::string::npos)
    T.Eol = S[FirstBreak] == '\n' ? "\n" : (FirstBreak + 1 < S.size() && S[FirstBreak + 1] == '\n' ? "\r\n" : "\r");
  std::size_t I = 0;
  while (I < S.size()) {
    std::size_t Start = I;
    while (I < S.size() && S[I] != '\r' && S[I] != '\n') ++I;
    T.Lines.push_back(S.substr(Start, I - Start));
    if (I < S.size() && S[I] == '\r') ++I;
    if (I < S.size() && S[I] == '\n') ++I;
  }
  return T;
}

[[noreturn]] void WriteError(const std::string& FileName) { throw EIniFileException("Unable to write to " + FileName); }

// Reading never fails: a file that is missing or cannot be read is empty.
TIniText LoadForRead(const std::string& FileName) {
  try {
    if (!FileExists(FileName)) return {};
    TMemoryStream M;
    M.LoadFromFile(FileName);
    return SplitText(std::string(static_cast<const char*>(M.Memory()), static_cast<std::size_t>(M.Size())));
  } catch (const EStreamError&) {
    return {};
  }
}

// Before a write the file must be readable, or the rewrite would lose what it holds.
TIniText LoadForWrite(const std::string& FileName) {
  if (!FileExists(FileName)) return {};
  try {
    TMemoryStream M;
    M.LoadFromFile(FileName);
    return SplitText(std::string(static_cast<const char*>(M.Memory()), static_cast<std::size_t>(M.Size())));
  } catch (const EStreamError&) {
    WriteError(FileName);
  }
}

void Save(const std::string& FileName, const TIniText& T) {
  std::string S;
  for (const std::string& L : T.Lines) S += L + T.Eol;
  try {
    TFileStream F(FileName, fmCreate);
    F.WriteBuffer(S.data(), S.size());
  } catch (const EStreamError&) {
    WriteError(FileName);
  }
}

bool HasBreak(const std::string& S) { return S.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

// Refuses names and values that would change the file's structure when written.
void CheckWrite(const std::string& FileName, const std::string& Section, const std::string* Ident,
                const std::string* Value) {
  auto Refuse = [&](const std::string& What) {
    throw EIniFileException("Unable to write to " + FileName + ": invalid " + What);
  };
  if (HasBreak(Section) || Section.find(']') != std::string::npos) Refuse("section name \"" + Section + "\"");
  if (Ident) {
    std::string K = Trim(*Ident);
    if (HasBreak(*Ident) || K.find('=') != std::string::npos || (!K.empty() && (K[0] == '[' || K[0] == ';')))
      Refuse("key \"" + *Ident + "\"");
  }
  if (Value && HasBreak(*Value)) Refuse("value of key \"" + (Ident ? *Ident : std::string()) + "\"");
}

// Calls F(LineIndex, Key, RawValue) for each key of the first section of that name.
template <class F>
void ForEachKey(const TIniText& T, const std::string& Section, F&& Fn) {
  int H = FindSection(T, Section);
  if (H < 0) return;
  int E = SectionEnd(T, H);
  std::string Key, Value;
  for (int I = H + 1; I < E; ++I)
    if (ParseKey(T.Lines[I], Key, Value))
      if (!Fn(I, Key, Value)) return;
}

}  // namespace

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) {
  TIniText T = LoadForRead(FileName());
  std::string Want = Trim(Ident), Result = Default;
  ForEachKey(T, Section, [&](int, const std::string& Key, const std::string& Value) {
    if (!AnsiSameText(Key, Want)) return true;
    Result = ReadValue(Value);
    return false;
  });
  if (Result.size() > MaxValueLength) Result.resize(MaxValueLength);
  return Result;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  CheckWrite(FileName(), Section, &Ident, &Value);
  TIniText T = LoadForWrite(FileName());
  std::string Want = Trim(Ident);
  int H = FindSection(T, Section);
  if (H < 0) {
    if (!T.Lines.empty() && !Trim(T.Lines.back()).empty()) T.Lines.push_back("");
    std::string Header(1, '[');
    Header += Trim(Section);
    Header += ']';
    T.Lines.push_back(Header);
    T.Lines.push_back(Want + "=" + Value);
  } else {
    int Found = -1, LastKey = H;
    std::string StoredKey;
    ForEachKey(T, Section, [&](int I, const std::string& Key, const std::string&) {
      LastKey = I;
      if (!AnsiSameText(Key, Want)) return true;
      Found = I;
      StoredKey = Key;
      return false;
    });
    if (Found >= 0) T.Lines[Found] = StoredKey + "=" + Value;  // the key keeps its spelling
    else T.Lines.insert(T.Lines.begin() + LastKey + 1, Want + "=" + Value);
  }
  Save(FileName(), T);
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  TIniText T = LoadForRead(FileName());
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    ForEachKey(T, Section, [&](int, const std::string& Key, const std::string&) {
      // A repeated key is never read; list it once.
      for (int I = 0; I < Strings->Count(); ++I)
        if (AnsiSameText(Strings->Strings(I), Key)) return true;
      Strings->Add(Key);
      return true;
    });
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* Strings) {
  TIniText T = LoadForRead(FileName());
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    std::vector<std::string> Seen;
    std::string Name;
    for (const std::string& L : T.Lines) {
      if (!ParseSection(L, Name)) continue;
      bool Dup = false;
      for (const std::string& S : Seen) Dup = Dup || AnsiSameText(S, Name);
      if (Dup) continue;
      Seen.push_back(Name);
      Strings->Add(Name);
    }
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  TIniText T = LoadForRead(FileName());
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    std::vector<std::string> Seen;
    ForEachKey(T, Section, [&](int, const std::string& Key, const std::string& Value) {
      for (const std::string& S : Seen)
        if (AnsiSameText(S, Key)) return true;
      Seen.push_back(Key);
      Strings->Add(Key + "=" + ReadValue(Value));
      return true;
    });
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TIniFile::EraseSection(const std::string& Section) {
  CheckWrite(FileName(), Section, nullptr, nullptr);
  if (!FileExists(FileName())) return;
  TIniText T = LoadForWrite(FileName());
  bool Changed = false;
  // Every section of that name goes, so that no later copy shows through.
  for (int H = FindSection(T, Section); H >= 0; H = FindSection(T, Section, H)) {
    T.Lines.erase(T.Lines.begin() + H, T.Lines.begin() + SectionEnd(T, H));
    Changed = true;
  }
  if (Changed) Save(FileName(), T);
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  CheckWrite(FileName(), Section, &Ident, nullptr);
  if (!FileExists(FileName())) return;
  TIniText T = LoadForWrite(FileName());
  std::string Want = Trim(Ident), Key, Value;
  bool Changed = false;
  for (int H = FindSection(T, Section); H >= 0; H = FindSection(T, Section, H + 1)) {
    for (int I = SectionEnd(T, H) - 1; I > H; --I)
      if (ParseKey(T.Lines[I], Key, Value) && AnsiSameText(Key, Want)) {
        T.Lines.erase(T.Lines.begin() + I);
        Changed = true;
      }
  }
  if (Changed) Save(FileName(), T);
}

#include "classlib/win/registry.h"

#include <cstring>

#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"

namespace {

bool IsRelative(const std::string& Key) { return Key.empty() || Key[0] != '\\'; }

// The path without its leading and trailing separators.
std::string StripKey(const std::string& Key) {
  std::size_t B = 0, E = Key.size();
  while (B < E && Key[B] == '\\') ++B;
  while (E > B && Key[E - 1] == '\\') --E;
  return Key.substr(B, E - B);
}

TRegDataType DataTypeOf(DWORD Type) {
  switch (Type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

std::string DecodeString(const std::vector<uint8_t>& Data) {
  std::size_t Units = Data.size() / 2;
  const wchar_t* P = reinterpret_cast<const wchar_t*>(Data.data());
  std::size_t N = 0;
  while (N < Units && P[N] != 0) ++N;
  return FromWide(std::wstring_view(P, N));
}

[[noreturn]] void ReadError(const std::string& Name) {
  throw ERegistryException("Invalid data type for '" + Name + "'");
}

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM Access) : FAccess(Access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value) {
  if (Value == FRootKey) return;
  CloseKey();
  FRootKey = Value;
}

HKEY TRegistry::BaseKey(bool Relative) const {
  return Relative && FCurrentKey != nullptr ? FCurrentKey : FRootKey;
}

bool TRegistry::Open(const std::string& Key, bool CanCreate, REGSAM Access, HKEY& Result, std::string& Path) {
  bool Relative = IsRelative(Key);
  std::string S = StripKey(Key);
  std::wstring W = ToWide(S);
  HKEY Base = BaseKey(Relative);
  LONG R;
  Result = nullptr;
  if (!CanCreate || S.empty())
    R = RegOpenKeyExW(Base, W.c_str(), 0, Access, &Result);
  else
    R = RegCreateKeyExW(Base, W.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr, &Result, nullptr);
  if (R != ERROR_SUCCESS) return false;
  if (Relative && FCurrentKey != nullptr && !FCurrentPath.empty())
    Path = S.empty() ? FCurrentPath : FCurrentPath + "\\" + S;
  else
    Path = S;
  return true;
}

void TRegistry::ChangeKey(HKEY Key, const std::string& Path) {
  CloseKey();
  FCurrentKey = Key;
  FCurrentPath = Path;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  HKEY K;
  std::string Path;
  if (!Open(Key, CanCreate, FAccess, K, Path)) return false;
  ChangeKey(K, Path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  HKEY K;
  std::string Path;
  if (!Open(Key, false, KEY_READ, K, Path)) return false;
  ChangeKey(K, Path);
  return true;
}

bool TRegistry::CreateKey(const std::string& Key) {
  HKEY K;
  std::string Path;
  if (StripKey(Key).empty() || !Open(Key, true, FAccess, K, Path)) return false;
  RegCloseKey(K);
  return true;
}

void TRegistry::CloseKey() {
  if (FCurrentKey == nullptr) return;
  if (!FLazyWrite) RegFlushKey(FCurrentKey);
  RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

bool TRegistry::KeyExists(const std::string& Key) {
  HKEY K;
  std::string Path;
  if (!Open(Key, false, KEY_READ, K, Path)) return false;
  RegCloseKey(K);
  return true;
}

bool TRegistry::DeleteKey(const std::string& Key) {
  std::string S = StripKey(Key);
  if (S.empty()) return false;  // never the base key itself
  HKEY Base = BaseKey(IsRelative(Key));
  return RegDeleteTreeW(Base, ToWide(S).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() {
  DWORD Count = 0;
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  if (RegQueryInfoKeyW(K, nullptr, nullptr, nullptr, &Count, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return Count > 0;
}

void TRegistry::GetKeyNames(TStrings* Strings) {
  Strings->Clear();
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  std::vector<wchar_t> Buf(256);
  for (DWORD I = 0;; ++I) {
    DWORD Len = static_cast<DWORD>(Buf.size());
    LONG R = RegEnumKeyExW(K, I, Buf.data(), &Len, nullptr, nullptr, nullptr, nullptr);
    if (R == ERROR_MORE_DATA) {
      Buf.resize(Buf.size() * 2);
      --I;
      continue;
    }
    if (R != ERROR_SUCCESS) break;
    Strings->Add(FromWideBuf(Buf.data(), Len));
  }
}

void TRegistry::GetValueNames(TStrings* Strings) {
  Strings->Clear();
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  std::vector<wchar_t> Buf(256);
  for (DWORD I = 0;; ++I) {
    DWORD Len = static_cast<DWORD>(Buf.size());
    LONG R = RegEnumValueW(K, I, Buf.data(), &Len, nullptr, nullptr, nullptr, nullptr);
    if (R == ERROR_MORE_DATA) {
      if (Buf.size() >= 65536) break;  // value names are limited to 16383 characters
      Buf.resize(Buf.size() * 2);
      --I;
      continue;
    }
    if (R != ERROR_SUCCESS) break;
    Strings->Add(FromWideBuf(Buf.data(), Len));
  }
}

bool TRegistry::QueryValue(const std::string& Name, DWORD& Type, std::vector<uint8_t>& Data) {
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  std::wstring W = ToWide(Name);
  DWORD Size = 0;
  if (RegQueryValueExW(K, W.c_str(), nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return false;
  // The value may grow between the two calls: ask again until it fits.
  for (int Try = 0; Try < 8; ++Try) {
    Data.assign(Size + 2, 0);
    DWORD Got = Size;
    LONG R = RegQueryValueExW(K, W.c_str(), nullptr, &Type, Data.data(), &Got);
    if (R == ERROR_SUCCESS) {
      Data.resize(Got);
      return true;
    }
    if (R != ERROR_MORE_DATA) return false;
    Size = Got;
  }
  return false;
}

void TRegistry::SetValue(const std::string& Name, DWORD Type, const void* Data, DWORD Size) {
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  if (RegSetValueExW(K, ToWide(Name).c_str(), 0, Type, static_cast<const BYTE*>(Data), Size) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + Name + "'");
}

bool TRegistry::ValueExists(const std::string& Name) {
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  return RegQueryValueExW(K, ToWide(Name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& Name) {
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  return RegDeleteValueW(K, ToWide(Name).c_str()) == ERROR_SUCCESS;
}

int TRegistry::GetDataSize(const std::string& Name) {
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  DWORD Size = 0;
  if (RegQueryValueExW(K, ToWide(Name).c_str(), nullptr, nullptr, nullptr, &Size) != ERROR_SUCCESS) return -1;
  return static_cast<int>(Size);
}

TRegDataType TRegistry::GetDataType(const std::string& Name) {
  HKEY K = FCurrentKey != nullptr ? FCurrentKey : FRootKey;
  DWORD Type = REG_NONE;
  if (RegQueryValueExW(K, ToWide(Name).c_str(), nullptr, &Type, nullptr, nullptr) != ERROR_SUCCESS) return rdUnknown;
  return DataTypeOf(Type);
}

std::string TRegistry::ReadString(const std::string& Name) {
  DWORD Type;
  std::vector<uint8_t> Data;
  if (!QueryValue(Name, Type, Data)) return {};
  if (Type != REG_SZ && Type != REG_EXPAND_SZ) ReadError(Name);
  return DecodeString(Data);
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  std::wstring W = ToWide(Value);
  SetValue(Name, REG_SZ, W.c_str(), static_cast<DWORD>((W.size() + 1) * sizeof(wchar_t)));
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
  std::wstring W = ToWide(Value);
  SetValue(Name, REG_EXPAND_SZ, W.c_str(), static_cast<DWORD>((W.size() + 1) * sizeof(wchar_t)));
}

int TRegistry::ReadInteger(const std::string& Name) {
  DWORD Type;
  std::vector<uint8_t> Data;
  if (!QueryValue(Name, Type, Data)) throw ERegistryException("Failed to get data for '" + Name + "'");
  if (Type != REG_DWORD || Data.size() != 4) ReadError(Name);
  int32_t V;
  std::memcpy(&V, Data.data(), 4);
  return V;
}

void TRegistry::WriteInteger(const std::string& Name, int Value) {
  DWORD V = static_cast<DWORD>(Value);
  SetValue(Name, REG_DWORD, &V, sizeof V);
}

int TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, int BufSize) {
  DWORD Type;
  std::vector<uint8_t> Data;
  if (!QueryValue(Name, Type, Data)) return 0;
  if (DataTypeOf(Type) != rdBinary && DataTypeOf(Type) != rdUnknown) ReadError(Name);
  if (static_cast<int64_t>(Data.size()) > BufSize)
    throw ERegistryException("Failed to get data for '" + Name + "': the buffer is too small");
  if (!Data.empty()) std::memcpy(Buffer, Data.data(), Data.size());
  return static_cast<int>(Data.size());
}

std::vector<uint8_t> TRegistry::ReadBinaryData(const std::string& Name) {
  DWORD Type;
  std::vector<uint8_t> Data;
  if (!QueryValue(Name, Type, Data)) return {};
  if (DataTypeOf(Type) != rdBinary && DataTypeOf(Type) != rdUnknown) ReadError(Name);
  return Data;
}

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize) {
  if (BufSize < 0) throw ERegistryException("Failed to set data for '" + Name + "'");
  SetValue(Name, REG_BINARY, Buffer, static_cast<DWORD>(BufSize));
}

// ---------------------------------------------------------------------------------------
// TRegIniFile.

TRegIniFile::TRegIniFile(const std::string& FileName, REGSAM Access) : TCustomIniFile(FileName), FAccess(Access) {}

std::string TRegIniFile::SectionPath(const std::string& Section) const {
  std::string Key = StripKey(FileName());
  std::string Sub = StripKey(Section);
  if (Sub.empty()) return "\\" + Key;
  if (Key.empty()) return "\\" + Sub;
  return "\\" + Key + "\\" + Sub;
}

bool TRegIniFile::OpenSection(TRegistry& Reg, const std::string& Section, bool CanCreate) const {
  Reg.SetRootKey(FRootKey);
  Reg.SetAccess(FAccess);
  if (CanCreate) return Reg.OpenKey(SectionPath(Section), true);
  return Reg.OpenKeyReadOnly(SectionPath(Section));
}

bool TRegIniFile::ReadText(TRegistry& Reg, const std::string& Ident, std::string& Value) {
  switch (Reg.GetDataType(Ident)) {
    case rdString:
    case rdExpandString: Value = Reg.ReadString(Ident); return true;
    case rdInteger: Value = IntToStr(Reg.ReadInteger(Ident)); return true;
    default: return false;
  }
}

std::string TRegIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default) {
  TRegistry Reg;
  std::string Value;
  if (!OpenSection(Reg, Section, false) || !ReadText(Reg, Ident, Value)) return Default;
  return Value;
}

void TRegIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  TRegistry Reg;
  if (!OpenSection(Reg, Section, true)) return;
  Reg.WriteString(Ident, Value);
}

void TRegIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  Strings->Clear();
  TRegistry Reg;
  if (OpenSection(Reg, Section, false)) Reg.GetValueNames(Strings);
}

void TRegIniFile::ReadSections(TStrings* Strings) {
  Strings->Clear();
  TRegistry Reg;
  if (OpenSection(Reg, "", false)) Reg.GetKeyNames(Strings);
}

void TRegIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  Strings->Clear();
  TRegistry Reg;
  if (!OpenSection(Reg, Section, false)) return;
  TStringList Names;
  Reg.GetValueNames(&Names);
  for (int I = 0; I < Names.Count(); ++I) {
    std::string Value;
    if (ReadText(Reg, Names[I], Value)) Strings->Add(Names[I] + "=" + Value);
  }
}

void TRegIniFile::EraseSection(const std::string& Section) {
  if (StripKey(Section).empty()) return;  // the storage's own key is not a section
  TRegistry Reg;
  Reg.SetRootKey(FRootKey);
  Reg.DeleteKey(SectionPath(Section));
}

void TRegIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  TRegistry Reg(FAccess);
  Reg.SetRootKey(FRootKey);
  if (Reg.OpenKey(SectionPath(Section), false)) Reg.DeleteValue(Ident);
}

void TRegIniFile::UpdateFile() {
  TRegistry Reg;
  if (OpenSection(Reg, "", false)) RegFlushKey(Reg.CurrentKey());
}

bool TRegIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  TRegistry Reg;
  return OpenSection(Reg, Section, false) && Reg.ValueExists(Ident);
}

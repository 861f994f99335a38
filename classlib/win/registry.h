// Registry access: TRegistry on keys and values, and TRegIniFile, an INI-style storage
// whose sections are sub-keys of one key and whose values are strings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/object.h"

class TStrings;

ZX_EXCEPTION(ERegistryException, Exception);

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Key paths: a leading "\" makes a path absolute (from RootKey); any other path is
// relative to the open key, or to RootKey when none is open. Names and texts are 1251.
class TRegistry : public TObject {
public:
  TRegistry();
  explicit TRegistry(REGSAM Access);
  ~TRegistry() override;

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY Value);  // closes the open key
  HKEY CurrentKey() const { return FCurrentKey; }
  const std::string& CurrentPath() const { return FCurrentPath; }
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM Value) { FAccess = Value; }
  // Without lazy writing, closing a key flushes it to disk.
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value) { FLazyWrite = Value; }

  bool OpenKey(const std::string& Key, bool CanCreate);
  bool OpenKeyReadOnly(const std::string& Key);
  bool CreateKey(const std::string& Key);  // creates it without opening it
  void CloseKey();
  bool KeyExists(const std::string& Key);
  bool DeleteKey(const std::string& Key);  // with all its sub-keys
  bool HasSubKeys();
  void GetKeyNames(TStrings* Strings);    // of the open key
  void GetValueNames(TStrings* Strings);  // of the open key

  bool ValueExists(const std::string& Name);
  bool DeleteValue(const std::string& Name);
  // Size in bytes as stored (wide strings take two bytes a character); -1 when missing.
  int GetDataSize(const std::string& Name);
  TRegDataType GetDataType(const std::string& Name);  // rdUnknown when missing

  // A missing string reads as empty; a value of another type raises ERegistryException,
  // and so does any missing value of another type.
  std::string ReadString(const std::string& Name);
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteExpandString(const std::string& Name, const std::string& Value);
  int ReadInteger(const std::string& Name);
  void WriteInteger(const std::string& Name, int Value);
  bool ReadBool(const std::string& Name) { return ReadInteger(Name) != 0; }
  void WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
  // Copies the data into Buffer and returns its size; data larger than BufSize raises
  // instead of being cut.
  int ReadBinaryData(const std::string& Name, void* Buffer, int BufSize);
  std::vector<uint8_t> ReadBinaryData(const std::string& Name);
  void WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize);

private:
  HKEY BaseKey(bool Relative) const;
  bool Open(const std::string& Key, bool CanCreate, REGSAM Access, HKEY& Result, std::string& Path);
  void ChangeKey(HKEY Key, const std::string& Path);
  bool QueryValue(const std::string& Name, DWORD& Type, std::vector<uint8_t>& Data);
  void SetValue(const std::string& Name, DWORD Type, const void* Data, DWORD Size);

  HKEY FRootKey = HKEY_CURRENT_USER;
  HKEY FCurrentKey = nullptr;
  std::string FCurrentPath;
  REGSAM FAccess = KEY_ALL_ACCESS;
  bool FLazyWrite = true;
};

// INI-style storage in the registry: FileName is a key path under RootKey (a leading "\"
// is accepted: "\Software\Zembrix" and "Software\Zembrix" name the same key); each section
// is a sub-key and each value a string. Integers and Booleans are written as decimal text
// ("0"/"1" for Booleans); an integer value (REG_DWORD) written by someone else reads as
// its decimal text. Reading never creates a key; writing creates the section's key. A key
// that cannot be opened reads as empty and takes no writes.
class TRegIniFile : public TCustomIniFile {
public:
  explicit TRegIniFile(const std::string& FileName, REGSAM Access = KEY_ALL_ACCESS);

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY Value) { FRootKey = Value; }

  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  void UpdateFile() override;
  bool ValueExists(const std::string& Section, const std::string& Ident) override;

private:
  // The absolute path of a section's key ("" is the key itself).
  std::string SectionPath(const std::string& Section) const;
  bool OpenSection(TRegistry& Reg, const std::string& Section, bool CanCreate) const;
  // A string or integer value as text; false for a missing value or another type.
  static bool ReadText(TRegistry& Reg, const std::string& Ident, std::string& Value);

  HKEY FRootKey = HKEY_CURRENT_USER;
  REGSAM FAccess;
};

// INI storage: the abstract TCustomIniFile (also the base of the registry storage) and
// TIniFile, a Windows profile file read and written by our own parser.
#pragma once

#include <string>

#include "classlib/core/object.h"

class TStrings;

class TCustomIniFile : public TObject {
public:
  explicit TCustomIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
  const std::string& FileName() const { return FFileName; }

  virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;
  // Decimal or "$"/"0x" hexadecimal; Default when missing or not a number.
  virtual int ReadInteger(const std::string& Section, const std::string& Ident, int Default);
  virtual void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  // An integer: 0 is false, any other number true; Default when missing or not a number.
  virtual bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  virtual void WriteBool(const std::string& Section, const std::string& Ident, bool Value);  // "1"/"0"
  virtual double ReadFloat(const std::string& Section, const std::string& Ident, double Default);
  virtual void WriteFloat(const std::string& Section, const std::string& Ident, double Value);

  // The key names of a section, in file order (the list is cleared first).
  virtual void ReadSection(const std::string& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  // "Key=Value" lines of a section, values as ReadString gives them.
  virtual void ReadSectionValues(const std::string& Section, TStrings* Strings) = 0;
  virtual void EraseSection(const std::string& Section) = 0;
  virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
  virtual void UpdateFile() = 0;
  // True when the section holds at least one key.
  bool SectionExists(const std::string& Section);
  virtual bool ValueExists(const std::string& Section, const std::string& Ident);

private:
  std::string FFileName;
};

// Sections and keys compare without case (1251); values are trimmed and lose one pair of
// enclosing quotes (double or single) when read, and are cut to 1023 characters. A missing
// file reads as empty and is created by the first write. Every write goes to the file at
// once; comments and blank lines stay. A section, key or value that would break the file
// (CR, LF or NUL anywhere, "=" in a key, a key starting with "[" or ";", "]" in a section
// name) is refused with EIniFileException and nothing is written; so is a write that
// fails ("Unable to write to %s").
class TIniFile : public TCustomIniFile {
public:
  using TCustomIniFile::TCustomIniFile;

  static constexpr int MaxValueLength = 1023;

  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  void UpdateFile() override {}  // every write is already in the file
};

// An in-memory storage with the registry's rules: values are kept exactly as written,
// sections are independent keys. Lets the property and placement code be tested without a
// registry and compared with TIniFile.
#pragma once

#include <map>
#include <string>

#include "classlib/core/ini_file.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"

class TMemStorage : public TCustomIniFile {
public:
  TMemStorage() : TCustomIniFile("memory") {}

  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override {
    auto S = FData.find(AnsiUpperCase(Section));
    if (S == FData.end()) return Default;
    auto V = S->second.find(AnsiUpperCase(Ident));
    return V == S->second.end() ? Default : V->second;
  }
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override {
    FData[AnsiUpperCase(Section)][AnsiUpperCase(Ident)] = Value;
  }
  void ReadSection(const std::string& Section, TStrings* Strings) override {
    Strings->Clear();
    auto S = FData.find(AnsiUpperCase(Section));
    if (S != FData.end())
      for (auto& [Key, Value] : S->second) Strings->Add(Key);
  }
  void ReadSections(TStrings* Strings) override {
    Strings->Clear();
    for (auto& [Name, Values] : FData) Strings->Add(Name);
  }
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override {
    Strings->Clear();
    auto S = FData.find(AnsiUpperCase(Section));
    if (S != FData.end())
      for (auto& [Key, Value] : S->second) Strings->Add(Key + "=" + Value);
  }
  void EraseSection(const std::string& Section) override { FData.erase(AnsiUpperCase(Section)); }
  void DeleteKey(const std::string& Section, const std::string& Ident) override {
    auto S = FData.find(AnsiUpperCase(Section));
    if (S != FData.end()) S->second.erase(AnsiUpperCase(Ident));
  }
  void UpdateFile() override {}

  bool Has(const std::string& Section, const std::string& Ident) const {
    auto S = FData.find(AnsiUpperCase(Section));
    return S != FData.end() && S->second.count(AnsiUpperCase(Ident)) != 0;
  }
  int SectionCount() const { return static_cast<int>(FData.size()); }

private:
  std::map<std::string, std::map<std::string, std::string>> FData;
};

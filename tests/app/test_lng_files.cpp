// The two language files that ship with the program carry every key the program asks for:
// the message keys named in the sources and the caption keys of every language storage in
// the form resources. The check reads the source tree, so it runs in the native build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/strings.h"

namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
const fs::path Root = fs::path(ZX_TEST_DATA) / ".." / "..";

std::string ReadText(const fs::path& P) {
  std::ifstream F(P, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

// Section -> keys.
using TKeys = std::map<std::string, std::set<std::string>>;

// Message keys: every literal key of a lookup in the program's sources.
void AddMessageKeys(TKeys& Keys) {
  // The lookups, and the little wrappers of "String" lookups that windows keep (Lng, LngText).
  const std::regex Call(R"re(\b(?:GetLng(String|Mask|Tip)|Lng|LngText)\s*\(\s*"([^"]+)")re");
  for (const char* Dir : {"app", "archive", "tools", "editor", "html", "ui", "shell", "storage"}) {
    if (!fs::exists(Root / Dir)) continue;
    for (const auto& E : fs::recursive_directory_iterator(Root / Dir)) {
      const std::string Ext = E.path().extension().string();
      if (Ext != ".cpp" && Ext != ".h") continue;
      const std::string Text = ReadText(E.path());
      for (std::sregex_iterator It(Text.begin(), Text.end(), Call), End; It != End; ++It) {
        const std::string Kind = (*It)[1];
        Keys[Kind == "Mask" ? "Mask" : Kind == "Tip" ? "Tips" : "String"].insert((*It)[2]);
      }
    }
  }
}

// Caption keys: the stored properties of every language storage (a form storage that does
// not keep its values in the registry) in the form resources, as Component_Property.
void AddCaptionKeys(TKeys& Keys) {
  for (const auto& E : fs::directory_iterator(Root / "resources" / "forms")) {
    if (E.path().extension() != ".zfm") continue;
    std::istringstream In(ReadText(E.path()));
    std::string Line, Section;
    bool InStorage = false, Registry = false, InProps = false;
    std::vector<std::string> Props;
    auto Flush = [&] {
      if (InStorage && !Registry) {
        EXPECT_FALSE(Section.empty()) << E.path();
        for (const std::string& P : Props) {
          const auto Dot = P.find('.');
          Keys[Section].insert(P.substr(0, Dot) + "_" + P.substr(Dot + 1));
        }
      }
      InStorage = Registry = InProps = false;
      Section.clear();
      Props.clear();
    };
    const std::regex Object(R"(^\s*object \w+: (\w+))"), Value(R"(^\s*(\w+) = '?([^']*)'?)"), Prop(R"(^\s*'([\w.]+)'(\)?))");
    std::smatch M;
    while (std::getline(In, Line)) {
      if (std::regex_search(Line, M, Object)) {
        Flush();
        InStorage = M[1] == "TFormStorage";
      } else if (!InStorage) {
        continue;
      } else if (InProps && std::regex_search(Line, M, Prop)) {
        Props.push_back(M[1]);
        if (M[2].matched && M[2].length() > 0) InProps = false;
      } else if (Line.find("StoredProps.Strings = (") != std::string::npos) {
        InProps = true;
      } else if (std::regex_search(Line, M, Value)) {
        if (M[1] == "IniSection") Section = M[2];
        if (M[1] == "UseRegistry") Registry = M[2] == "True";
      } else if (Line.find("end") != std::string::npos && !InProps) {
        Flush();
      }
    }
    Flush();
  }
}

TKeys FileKeys(const fs::path& P) {
  TKeys Keys;
  std::istringstream In(ReadText(P));
  std::string Line, Section;
  while (std::getline(In, Line)) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    if (Line.empty() || Line[0] == ';') continue;
    if (Line[0] == '[') {
      Section = Line.substr(1, Line.find(']') - 1);
      continue;
    }
    const auto Eq = Line.find('=');
    EXPECT_NE(Eq, std::string::npos) << P << ": " << Line;
    EXPECT_LT(Eq + 1, Line.size()) << P << ": empty text for " << Line;
    Keys[Section].insert(Line.substr(0, Eq));
  }
  return Keys;
}

std::string Lower(std::string S) {
  for (char& C : S)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  return S;
}

bool Has(const TKeys& Keys, const std::string& Section, const std::string& Key) {
  // The INI reader ignores the case of section and key names.
  for (const auto& [S, Set] : Keys)
    if (Lower(S) == Lower(Section))
      for (const std::string& K : Set)
        if (Lower(K) == Lower(Key)) return true;
  return false;
}
#endif

TEST(LanguageFiles, CarryEveryKeyTheProgramAsksFor) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the source tree: runs in the native build";
#else
  TKeys Wanted;
  AddMessageKeys(Wanted);
  AddCaptionKeys(Wanted);
  // The keys the program's own windows ask for are found in the tree.
  for (const char* K : {"Problem1", "Help_not_found", "Copy", "Are_you_copy"}) EXPECT_TRUE(Wanted["String"].count(K)) << K;
  ASSERT_TRUE(Wanted.count("MainForm") && Wanted.count("Settings") && Wanted.count("menu"));

  const TKeys Russian = FileKeys(Root / "resources" / "langs" / "Russian.zq.lng");
  const TKeys English = FileKeys(Root / "resources" / "langs" / "English.zq.lng");
  for (const auto& [Section, Set] : Wanted)
    for (const std::string& Key : Set) {
      EXPECT_TRUE(Has(Russian, Section, Key)) << "Russian.zq.lng lacks [" << Section << "] " << Key;
      EXPECT_TRUE(Has(English, Section, Key)) << "English.zq.lng lacks [" << Section << "] " << Key;
    }
  // Neither file has a key the other lacks.
  EXPECT_EQ(Russian, English);
#endif
}

// Every text is 1251: Cyrillic in the Russian file, and the file reads back through the
// program's INI reader as written.
TEST(LanguageFiles, AreCodePage1251) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the source tree: runs in the native build";
#else
  const std::string Ru = ReadText(Root / "resources" / "langs" / "Russian.zq.lng");
  const std::string En = ReadText(Root / "resources" / "langs" / "English.zq.lng");
  // "Копирование" in 1251 bytes.
  EXPECT_NE(Ru.find("Copy=" + Utf8ToCp1251("Копирование") + "\r\n"), std::string::npos);
  EXPECT_NE(En.find("Copy=Copy\r\n"), std::string::npos);
  for (const std::string* T : {&Ru, &En}) {
    EXPECT_EQ(T->find("\xD0\xB0"), std::string::npos) << "UTF-8 text in a 1251 file";
    for (std::size_t I = 0; I < T->size(); ++I)
      if ((*T)[I] == '\n') ASSERT_TRUE(I > 0 && (*T)[I - 1] == '\r') << "line ends are CR LF";
  }
  TIniFile Ini((Root / "resources" / "langs" / "Russian.zq.lng").string());
  EXPECT_EQ(Ini.ReadString("Settings", "RadioButton1_Caption", "-+-"), Utf8ToCp1251("Русский"));
#endif
}

// The HTML page's open dialog offers only files its viewer shows: a picture kind it cannot
// show would be read as a page of garbage.
TEST(LanguageFiles, HtmlPageOpenMasksNameOnlyWhatTheViewerShows) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the source tree: runs in the native build";
#else
  const std::set<std::string> Shown = {"*.htm", "*.html", "*.shtml", "*.bmp", "*.gif", "*.jpg", "*.jpeg", "*.png"};
  for (const char* File : {"Russian.zq.lng", "English.zq.lng"}) {
    TIniFile Ini((Root / "resources" / "langs" / File).string());
    for (const char* Key : {"HTML", "Graph"}) {
      const std::string Mask = Ini.ReadString("Mask", Key, "");
      const std::size_t Bar = Mask.find('|');
      ASSERT_NE(Bar, std::string::npos) << File << " " << Key;
      std::stringstream Patterns(Mask.substr(Bar + 1));
      for (std::string P; std::getline(Patterns, P, ';');) EXPECT_TRUE(Shown.count(Lower(P))) << File << " " << Key << ": " << P;
    }
  }
#endif
}

}  // namespace

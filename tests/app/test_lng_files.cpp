// The two language files that ship with the program carry every key the program asks for:
// the message keys named in the sources and the caption keys of every language storage in
// the form resources, whose windows show no text outside them. The check reads the source
// tree, so it runs in the native build.
#include <gtest/gtest.h>

#include <cctype>
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
#include "classlib/core/sys_utils.h"

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

bool IsIdentChar(char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_'; }

// The top-level arguments of a call whose "(" is at Open, as written.
std::vector<std::string> CallArguments(const std::string& Text, std::size_t Open) {
  std::vector<std::string> Args(1);
  int Depth = 0;
  for (std::size_t I = Open + 1; I < Text.size(); ++I) {
    const char C = Text[I];
    if (C == '"' || C == '\'') {
      const std::size_t From = I;
      for (++I; I < Text.size() && Text[I] != C; ++I)
        if (Text[I] == '\\') ++I;
      Args.back() += Text.substr(From, I - From + 1);
      continue;
    }
    if (C == '(' || C == '{' || C == '[') ++Depth;
    if (C == ')' || C == '}' || C == ']') {
      if (Depth == 0) break;
      --Depth;
    }
    if (C == ',' && Depth == 0)
      Args.emplace_back();
    else
      Args.back() += C;
  }
  for (std::string& A : Args) A = Trim(A);
  return Args;
}

// A lookup, or a function that passes one of its parameters on as the key of a lookup.
struct TLookup {
  std::string Section;
  std::size_t KeyArg;
};
using TLookups = std::map<std::string, TLookup>;

// Every call of a known lookup in Text: Found(call position, "(" position, lookup).
template <typename F>
void ForEachCall(const std::string& Text, const TLookups& Lookups, F Found) {
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (!IsIdentChar(Text[I]) || (I > 0 && (IsIdentChar(Text[I - 1]) || Text[I - 1] == '.' || Text[I - 1] == '>'))) continue;
    std::size_t E = I;
    while (E < Text.size() && IsIdentChar(Text[E])) ++E;
    const auto L = Lookups.find(Text.substr(I, E - I));
    std::size_t P = E;
    while (P < Text.size() && Text[P] == ' ') ++P;
    if (L != Lookups.end() && P < Text.size() && Text[P] == '(') Found(I, P, L->second);
    I = E;
  }
}

// The function whose body holds Pos: its name and its parameters' names in order (a
// definition begins in the first column, as every one of the sources does).
bool EnclosingFunction(const std::string& Text, std::size_t Pos, std::string& Name, std::vector<std::string>& Params) {
  for (std::size_t Line = Text.rfind('\n', Pos); Line != std::string::npos && Line > 0; Line = Text.rfind('\n', Line - 1)) {
    const char C = Text[Line + 1];
    if (C == ' ' || C == '\n' || C == '/' || C == '}' || C == '#' || C == '\r') continue;
    const std::size_t Open = Text.find('(', Line);
    const std::size_t Brace = Text.find('{', Line);
    if (Open == std::string::npos || Brace == std::string::npos || Open > Brace || Brace > Pos) return false;
    std::size_t B = Open;
    while (B > Line && Text[B - 1] == ' ') --B;
    std::size_t A = B;
    while (A > Line && IsIdentChar(Text[A - 1])) --A;
    Name = Text.substr(A, B - A);
    Params.clear();
    for (const std::string& Decl : CallArguments(Text, Open)) {
      std::size_t End = Decl.find('=');
      End = Trim(Decl.substr(0, End)).size();
      std::size_t Begin = End;
      while (Begin > 0 && IsIdentChar(Decl[Begin - 1])) --Begin;
      Params.push_back(Decl.substr(Begin, End - Begin));
    }
    return true;
  }
  return false;
}

// Message keys: every literal key of a lookup in the program's sources, also where it
// passes through the program's shared wrappers or a file's own little ones (Lng, LngText,
// ...), however many.
void AddMessageKeys(TKeys& Keys) {
  const TLookups Global = {{"GetLngString", {"String", 0}},
                           {"GetLngMask", {"Mask", 0}},
                           {"GetLngTip", {"Tips", 0}},
                           {"LngStringOr", {"String", 0}},
                           {"ShowAssistantTip", {"Tips", 0}}};
  for (const char* Dir : {"app", "archive", "tools", "editor", "html", "ui", "shell", "storage"}) {
    if (!fs::exists(Root / Dir)) continue;
    for (const auto& E : fs::recursive_directory_iterator(Root / Dir)) {
      const std::string Ext = E.path().extension().string();
      if (Ext != ".cpp" && Ext != ".h") continue;
      const std::string Text = ReadText(E.path());
      TLookups Lookups = Global;
      // The file's wrappers: a function that hands a parameter of its own to a lookup.
      for (bool More = true; More;) {
        More = false;
        ForEachCall(Text, Lookups, [&](std::size_t At, std::size_t Open, const TLookup& L) {
          const std::vector<std::string> Args = CallArguments(Text, Open);
          std::string Name;
          std::vector<std::string> Params;
          if (L.KeyArg >= Args.size() || !EnclosingFunction(Text, At, Name, Params)) return;
          for (std::size_t P = 0; P < Params.size(); ++P)
            if (Params[P] == Args[L.KeyArg] && !Lookups.count(Name)) {
              Lookups[Name] = {L.Section, P};
              More = true;
            }
        });
      }
      ForEachCall(Text, Lookups, [&](std::size_t, std::size_t Open, const TLookup& L) {
        const std::vector<std::string> Args = CallArguments(Text, Open);
        if (L.KeyArg < Args.size() && Args[L.KeyArg].size() > 2 && Args[L.KeyArg].front() == '"')
          Keys[L.Section].insert(Args[L.KeyArg].substr(1, Args[L.KeyArg].size() - 2));
      });
    }
  }
}

// One component of a form resource: its name, class and the texts it shows.
struct TComponentTexts {
  std::string Name, Class;
  std::map<std::string, std::string> Texts;  // Caption, Hint, Title, Filter, Items
  // Of a form storage.
  std::string Section;
  bool Registry = false;
  std::vector<std::string> Stored;
};

// The components of a form resource, the form first.
std::vector<TComponentTexts> ReadForm(const fs::path& P) {
  std::vector<TComponentTexts> Result;
  std::istringstream In(ReadText(P));
  std::vector<std::size_t> Stack;
  std::string Line;
  const std::regex Object(R"(^\s*(?:object|inherited) (\w+): (\w+))"), Value(R"(^\s*([\w.]+) = (.*)$)");
  std::smatch M;
  // A value: quoted pieces joined by "+" on following lines, or a list of them in "( )".
  auto ReadValue = [&](std::string V) {
    std::string Text;
    bool List = V == "(";
    if (List || V.empty()) std::getline(In, V);
    for (;;) {
      V = Trim(V);
      const bool Last = List ? !V.empty() && V.back() == ')' : V.empty() || V.back() != '+';
      if (List && Last) V.pop_back();
      if (!List && !Last) V = Trim(V.substr(0, V.size() - 1));
      if (V.size() >= 2 && V.front() == '\'') V = V.substr(1, V.size() - 2);
      Text += (List && !Text.empty() ? "\n" : "") + V;
      if (Last || !std::getline(In, V)) break;
    }
    return Text;
  };
  while (std::getline(In, Line)) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    if (std::regex_search(Line, M, Object)) {
      Stack.push_back(Result.size());
      Result.push_back({M[1], M[2]});
    } else if (Trim(Line) == "end") {
      if (!Stack.empty()) Stack.pop_back();
    } else if (!Stack.empty() && std::regex_search(Line, M, Value)) {
      TComponentTexts& C = Result[Stack.back()];
      const std::string Prop = M[1], V = ReadValue(M[2]);
      if (Prop == "Caption" || Prop == "Hint" || Prop == "Title" || Prop == "Filter") C.Texts[Prop] = V;
      if (Prop == "Items.Strings") C.Texts["Items"] = V;
      if (Prop == "IniSection") C.Section = V;
      if (Prop == "UseRegistry") C.Registry = V == "True";
      if (Prop == "StoredProps.Strings") {
        std::istringstream Lines(V);
        for (std::string S; std::getline(Lines, S);) C.Stored.push_back(S);
      }
    }
  }
  return Result;
}

bool HasLetter(const std::string& S) {
  for (unsigned char C : S)
    if (std::isalpha(C) || C >= 0x80) return true;
  return false;
}

// Texts that read the same in every language (names, the version), and the texts that the windows' code
// writes itself (the option window's system information, the path, the player's name, the
// copy question).
const std::set<std::string> SameInEveryLanguage = {"OK", "Win", "Zembrix", "HTML", "ActiveX", "Mod", "release 1 build 3"};
const std::set<std::string> WrittenByCode = {
    "MainForm.MainForm",  "MainForm.PathInfo", "MainForm.mpp",     "MainForm.LAView",   "MainForm.RAView",
    "MainForm.LPages",    "MainForm.RPages",   "Settings.Label3",  "Settings.Label4",   "Settings.Label5",
    "Settings.Label6",    "Settings.Label7",   "Settings.Label8",  "Settings.Label9",   "Settings.Label10",
    "Settings.Label11",   "Settings.Label13",  "Settings.Label14", "Settings.Label17",  "Settings.Label18",
    "Settings.Label19",   "Settings.Label20",  "Settings.mp3lab",  "ArcForm.ArcBox",    "CPY.CPY",
    "CPY.Label1"};
// Keys of form sections that a window reads in code: the HTML page's buttons are made there.
const std::set<std::string> ReadByCode = {"MainForm_SpeedButton49_Hint", "MainForm_ToolButton11_Hint",
                                          "MainForm_ToolButton23_Hint",  "MainForm_ToolButton24_Hint",
                                          "MainForm_ToolButton25_Hint",  "MainForm_ToolButton29_Hint",
                                          "MainForm_ToolButton31_Hint",  "MainForm_ToolButton36_Hint",
                                          // the editor page's buttons and menus, made in code
                                          "MainForm_ToolButton4_Hint",   "MainForm_ToolButton6_Hint",
                                          "MainForm_ToolButton7_Hint",   "MainForm_ToolButton8_Hint",
                                          "MainForm_ToolButton14_Hint",  "MainForm_ToolButton15_Hint",
                                          "MainForm_SpeedButton44_Hint", "MainForm_SpeedButton54_Hint",
                                          "MainForm_SpeedButton55_Hint", "MainForm_ToolButton22_Hint",
                                          "MainForm_ToolButton18_Hint",  "MainForm_ToolButton10_Hint",
                                          "MainForm_ToolButton12_Hint",  "MainForm_SynPlain_Caption",
                                          "MainForm_LowerCase1_Caption", "MainForm_UpperCase1_Caption",
                                          "MainForm_InsertTime1_Caption", "MainForm_InsertDate1_Caption"};

// Caption keys: for every form with a language storage (a form storage that does not keep
// its values in the registry), the stored texts as Component_Property (a list in a section
// of its own) and the window's own caption; and every text the form shows that differs
// between languages must be one of them, so none stays in the language it was drawn in.
void AddCaptionKeys(TKeys& Keys) {
  for (const auto& E : fs::directory_iterator(Root / "resources" / "forms")) {
    if (E.path().extension() != ".zfm") continue;
    SCOPED_TRACE(E.path().filename().string());
    const std::vector<TComponentTexts> Form = ReadForm(E.path());
    ASSERT_FALSE(Form.empty());
    std::set<std::string> Stored;
    bool HasLanguage = false;
    for (const TComponentTexts& S : Form) {
      if (S.Class != "TFormStorage" || S.Registry) continue;
      HasLanguage = true;
      EXPECT_FALSE(S.Section.empty()) << S.Name;
      for (const std::string& P : S.Stored) {
        const auto Dot = P.find('.');
        const std::string Key = P.substr(0, Dot) + "_" + P.substr(Dot + 1);
        Stored.insert(P);
        if (P.substr(Dot + 1) == "Items" || P.substr(Dot + 1) == "ColorNames")  // lists: a section each
          Keys[S.Section + "." + Key].insert("Count");
        else
          Keys[S.Section].insert(Key);
      }
      if (!WrittenByCode.count(Form[0].Name + "." + Form[0].Name)) Keys[S.Section].insert(Form[0].Name + "_Caption");
    }
    if (!HasLanguage) continue;
    for (std::size_t I = 1; I < Form.size(); ++I)
      for (const auto& [Prop, Text] : Form[I].Texts) {
        if (!HasLetter(Text) || SameInEveryLanguage.count(Text) || WrittenByCode.count(Form[0].Name + "." + Form[I].Name))
          continue;
        EXPECT_TRUE(Stored.count(Form[I].Name + "." + Prop))
            << Form[I].Name << "." << Prop << " shows \"" << Text << "\" in every language";
      }
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

// Both language files carry every text the program asks for, and nothing it never asks for:
// a missing one would show "-+-" or a text in the other language, a key of a form section
// that no storage names is a text that never reaches the screen.
TEST(LanguageFiles, CarryEveryKeyTheProgramAsksFor) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the source tree: runs in the native build";
#else
  TKeys Wanted;
  AddMessageKeys(Wanted);
  AddCaptionKeys(Wanted);
  // The scan finds keys through each kind of lookup and wrapper.
  const std::pair<const char*, const char*> Known[] = {
      {"String", "Problem1"},      {"String", "Copy"},      {"String", "Shut_down"},  {"String", "No_volume"},
      {"String", "Not_files"},     {"Mask", "Music"},       {"Mask", "Executable"},   {"Tips", "Create_folder"},
      {"Tips", "Screen_saver"},    {"Settings", "OpenLarge_Caption"},                 {"Settings", "Settings_Caption"},
      {"MainForm", "LN68_Caption"}, {"Settings.FileType_Items", "Count"}};
  for (const auto& [Section, Key] : Known) EXPECT_TRUE(Wanted[Section].count(Key)) << Section << " " << Key;

  const TKeys Russian = FileKeys(Root / "resources" / "langs" / "Russian.zq.lng");
  const TKeys English = FileKeys(Root / "resources" / "langs" / "English.zq.lng");
  for (const auto& [Section, Set] : Wanted)
    for (const std::string& Key : Set) {
      EXPECT_TRUE(Has(Russian, Section, Key)) << "Russian.zq.lng lacks [" << Section << "] " << Key;
      EXPECT_TRUE(Has(English, Section, Key)) << "English.zq.lng lacks [" << Section << "] " << Key;
    }
  // Neither file has a key the other lacks.
  EXPECT_EQ(Russian, English);
  // Form sections hold only texts that are asked for; the message, help and tip sections,
  // the message boxes' texts and the lists' own sections are read by key or by number.
  const std::set<std::string> ReadWhole = {"String", "Mask", "Tips", "Help", "Daily", "MsgDlg"};
  for (const auto& [Section, Set] : Russian) {
    if (ReadWhole.count(Section) || Section.find('.') != std::string::npos) continue;
    for (const std::string& Key : Set)
      EXPECT_TRUE(Has(Wanted, Section, Key) || ReadByCode.count(Section + "_" + Key))
          << "[" << Section << "] " << Key << " is asked for by no window";
  }
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

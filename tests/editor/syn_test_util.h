// Helpers shared by the language highlighter tests: scanning a line into (text, kind)
// pairs, an editor that counts the lines it rescans, and colours in the development
// environment's registry layouts.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "editor/core/better_registry.h"
#include "editor/core/edit_model.h"
#include "syn_invariants.h"

using TTokenList = std::vector<std::pair<std::string, int>>;

// The tokens of Line scanned from Start, the end-of-line token left out, each with the kind
// KindOf reads after it; End gets the range after the line.
template <class H, class KindOf>
TTokenList ScanTokens(H& Hl, TmwRange Start, const std::string& Line, KindOf Kind, TmwRange* End = nullptr) {
  TTokenList tokens;
  Hl.SetRange(Start);
  for (Hl.SetLine(Line); !Hl.GetEol() && tokens.size() <= Line.size(); Hl.Next())
    tokens.emplace_back(Hl.GetToken(), static_cast<int>(Kind(Hl)));
  if (End) *End = Hl.GetRange();
  return tokens;
}

// One row of a highlighter's table: the line, the state before it, the tokens with their
// kinds and the state after it.
template <class Kind, class State>
struct TSynRow {
  State Start;
  std::string Line;
  std::vector<std::pair<std::string, Kind>> Tokens;
  State End;
};

template <class H, class Kind, class State, class KindOf>
void ExpectRow(H& Hl, const TSynRow<Kind, State>& Row, KindOf KindFn) {
  TTokenList expected;
  for (const auto& [text, kind] : Row.Tokens) expected.emplace_back(text, static_cast<int>(kind));
  TmwRange end = 0;
  EXPECT_EQ(ScanTokens(Hl, static_cast<TmwRange>(Row.Start), Row.Line, KindFn, &end), expected) << Row.Line;
  EXPECT_EQ(end, static_cast<TmwRange>(Row.End)) << Row.Line;
}

// A highlighter that counts the lines it is given.
template <class H>
class TCountingSyn : public H {
public:
  TCountingSyn() : H(nullptr) {}
  void SetLine(const std::string& NewValue) override {
    ++Lines;
    H::SetLine(NewValue);
  }
  int Lines = 0;
};

// The range stored at the start of every line.
inline std::vector<TmwRange> StoredLineRanges(const TmwEditModel& E) {
  std::vector<TmwRange> v;
  for (int i = 0; i < E.LineCount(); ++i) v.push_back(E.Lines()->GetRange(i));
  return v;
}

// The ranges a scan of the whole text from the top gives.
inline std::vector<TmwRange> FreshRanges(const TmwEditModel& E, TmwCustomHighLighter& Hl) {
  std::vector<TmwRange> v;
  Hl.ResetRange();
  for (int i = 0; i < E.LineCount(); ++i) {
    v.push_back(Hl.GetRange());
    std::string line = E.Lines()->Get(i);
    Hl.SetLine(line);
    while (!Hl.GetEol()) Hl.Next();
  }
  return v;
}

// Replaces line Index (0-based) and returns how many lines the editor scanned for it; the
// stored ranges must then be those of a fresh scan.
template <class H>
int LinesRescanned(TmwEditModel& E, TCountingSyn<H>& Hl, int Index, const std::string& Text) {
  Hl.Lines = 0;
  E.Lines()->Put(Index, Text);
  int n = Hl.Lines;
  EXPECT_EQ(StoredLineRanges(E), FreshRanges(E, Hl)) << Text;
  return n;
}

// Colours of one attribute as the development environment keeps them, under
// HKEY_CURRENT_USER: a string value of seven fields in the old layout (style letters,
// default flags, palette indices), or a subkey of values in the new one.
inline void WriteIDEOldEntry(TRegistryBackend& R, const std::string& Key, const std::string& Value, int Fore,
                             int Back, const std::string& Style) {
  R.CreateKey(RegCurrentUser, Key);
  R.WriteString(RegCurrentUser, Key, Value,
                "0,0," + Style + ",0,0," + std::to_string(Fore) + "," + std::to_string(Back));
}

inline void WriteIDENewEntry(TRegistryBackend& R, const std::string& Key, int Fore, int Back, bool Bold) {
  R.CreateKey(RegCurrentUser, Key);
  R.WriteInteger(RegCurrentUser, Key, "Foreground Color", Fore);
  R.WriteInteger(RegCurrentUser, Key, "Background Color", Back);
  R.WriteString(RegCurrentUser, Key, "Bold", Bold ? "True" : "False");
  R.WriteString(RegCurrentUser, Key, "Italic", "False");
  R.WriteString(RegCurrentUser, Key, "Underline", "False");
  R.WriteString(RegCurrentUser, Key, "Default Foreground", "False");
  R.WriteString(RegCurrentUser, Key, "Default Background", "False");
}

// Installs a registry backend for one test.
class TRegistryScope {
public:
  explicit TRegistryScope(TRegistryBackend* Backend) { SetRegistryBackend(Backend); }
  ~TRegistryScope() { SetRegistryBackend(nullptr); }
};

// The colours of every attribute, to compare before and after.
struct TAttriColors {
  TColor Background, Foreground;
  int Style;
  bool operator==(const TAttriColors&) const = default;
};

inline std::vector<TAttriColors> ColorsOf(const TmwCustomHighLighter& Hl) {
  std::vector<TAttriColors> v;
  for (int i = 0; i < Hl.GetAttribCount(); ++i) {
    TmwHighLightAttributes* a = Hl.GetAttribute(i);
    v.push_back({a->Background(), a->Foreground(), a->IntegerStyle()});
  }
  return v;
}

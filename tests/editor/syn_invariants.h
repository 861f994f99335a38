// The invariants of every scan, and every highlighter with its legal states: shared by
// the highlighter tests and the scanner fuzz target.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/core/dcj_cpp_syn.h"
#include "editor/core/dcj_java_syn.h"
#include "editor/core/dcj_perl_syn.h"
#include "editor/core/mw_general_syn.h"
#include "editor/core/mw_pas_syn.h"

// Empty when scanning Line from Start keeps every invariant: the tokens are contiguous,
// non-empty and put together give the line back, the end-of-line token comes exactly at
// the end, and the range after the line is one of States. Otherwise what broke.
inline std::string CheckScan(TmwCustomHighLighter& Hl, TmwRange Start, const std::string& Line,
                             const std::vector<TmwRange>& States) {
  Hl.SetRange(Start);
  Hl.SetLine(Line);
  std::size_t pos = 0;
  for (std::size_t steps = 0; !Hl.GetEol(); Hl.Next()) {
    if (++steps > Line.size() + 1) return "the scan does not end";
    std::string token = Hl.GetToken();
    if (static_cast<std::size_t>(Hl.GetTokenPos()) != pos)
      return "token at " + std::to_string(Hl.GetTokenPos()) + ", expected " + std::to_string(pos);
    if (token.empty()) return "empty token at " + std::to_string(pos);
    if (Line.compare(pos, token.size(), token) != 0) return "token differs from the line at " + std::to_string(pos);
    pos += token.size();
  }
  if (pos != Line.size()) return "end of line at " + std::to_string(pos) + " of " + std::to_string(Line.size());
  if (!Hl.GetToken().empty() || static_cast<std::size_t>(Hl.GetTokenPos()) != pos) return "end-of-line token not empty";
  for (TmwRange s : States)
    if (Hl.GetRange() == s) return {};
  return "illegal end state " + std::to_string(Hl.GetRange());
}

template <class State>
std::vector<TmwRange> StatesUpTo(State Last) {
  std::vector<TmwRange> v;
  for (TmwRange s = 1; s <= static_cast<TmwRange>(Last); ++s) v.push_back(s);
  return v;
}

struct TScannerCase {
  std::unique_ptr<TmwCustomHighLighter> Hl;
  std::vector<TmwRange> States;
};

// Every highlighter, the general one with every comment style and a few keywords.
inline std::vector<TScannerCase> AllScanners() {
  std::vector<TScannerCase> v;
  v.push_back({std::make_unique<TDcjCppSyn>(nullptr), StatesUpTo(TCppRangeState::Unknown)});
  v.push_back({std::make_unique<TDcjJavaSyn>(nullptr), StatesUpTo(TJavaRangeState::Unknown)});
  v.push_back({std::make_unique<TDcjPerlSyn>(nullptr), StatesUpTo(TPerlRangeState::Unknown)});
  v.push_back({std::make_unique<TmwPasSyn>(nullptr), StatesUpTo(TPasRangeState::Unknown)});
  auto general = std::make_unique<TmwGeneralSyn>(nullptr);
  general->SetComments({csAnsiStyle, csPasStyle, csCStyle, csAsmStyle});
  TStringList words;
  words.SetText("begin\nend\nif\n");
  general->SetKeyWords(&words);
  v.push_back({std::move(general), StatesUpTo(TGeneralRangeState::Unknown)});
  return v;
}

#include "storage/core/str_utils.h"

#include "classlib/core/code_page.h"

std::string StrToOem(std::string_view AnsiStr) { return Cp1251ToCp866(AnsiStr); }

std::string OemToAnsiStr(std::string_view OemStr) { return Cp866ToCp1251(OemStr); }

std::string ReplaceStr(std::string_view S, std::string_view Search, std::string_view Replace) {
  if (Search.empty()) return std::string(S);
  std::string Result;
  size_t From = 0;
  for (size_t At; (At = S.find(Search, From)) != std::string_view::npos; From = At + Search.size()) {
    Result.append(S, From, At - From);
    Result.append(Replace);
  }
  Result.append(S, From);
  return Result;
}

int NPos(std::string_view Substr, std::string_view S, int N) {
  if (N < 1 || Substr.empty()) return 0;
  size_t From = 0;
  for (;;) {
    size_t At = S.find(Substr, From);
    if (At == std::string_view::npos) return 0;
    if (--N == 0) return static_cast<int>(At) + 1;
    From = At + 1;
  }
}

int WordCount(std::string_view S, const TCharSet& WordDelims) {
  int Count = 0;
  bool InWord = false;
  for (char C : S) {
    bool Delim = WordDelims.Contains(C);
    if (!Delim && !InWord) ++Count;
    InWord = !Delim;
  }
  return Count;
}

int WordPosition(int N, std::string_view S, const TCharSet& WordDelims) {
  int Count = 0;
  bool InWord = false;
  for (size_t I = 0; I < S.size(); ++I) {
    bool Delim = WordDelims.Contains(S[I]);
    if (!Delim && !InWord && ++Count == N) return static_cast<int>(I) + 1;
    InWord = !Delim;
  }
  return 0;
}

std::string ExtractWord(int N, std::string_view S, const TCharSet& WordDelims) {
  int Start = WordPosition(N, S, WordDelims);
  if (Start == 0) return {};
  size_t End = Start - 1;
  while (End < S.size() && !WordDelims.Contains(S[End])) ++End;
  return std::string(S.substr(Start - 1, End - (Start - 1)));
}

std::string ExtractSubstr(std::string_view S, int& Pos, const TCharSet& Delims) {
  size_t Start = Pos < 1 ? 0 : static_cast<size_t>(Pos) - 1;
  if (Start >= S.size()) {
    Pos = static_cast<int>(S.size()) + 1;
    return {};
  }
  size_t I = Start;
  while (I < S.size() && !Delims.Contains(S[I])) ++I;
  Pos = static_cast<int>(I < S.size() ? I + 2 : S.size() + 1);
  return std::string(S.substr(Start, I - Start));
}

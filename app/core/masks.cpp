#include "app/core/masks.h"

#include <cstdint>
#include <vector>

std::string NormalizeMask(std::string_view Text) {
  std::string Result;
  Result.reserve(Text.size());
  std::size_t I = 0;
  while (I < Text.size()) {
    if (Text[I] != '*' && Text[I] != '?') {
      Result += Text[I++];
      continue;
    }
    // Inside a run the order does not matter: "*?" and "?*" both mean one character or
    // more. The "?"s are kept and one "*" goes last, so a "*" is never followed by
    // another wildcard.
    std::size_t End = I, Marks = 0;
    bool Star = false;
    for (; End < Text.size() && (Text[End] == '*' || Text[End] == '?'); ++End) {
      if (Text[End] == '*')
        Star = true;
      else
        ++Marks;
    }
    Result.append(Marks, '?');
    if (Star) Result += '*';
    I = End;
  }
  return Result;
}

namespace {

bool IsWild(char C) { return C == '*' || C == '?'; }

// Both sides may carry wildcards. Every call works on suffixes of the two normalised
// texts, so the outcome of each pair of suffixes is remembered: a mask such as
// "*a*a*a*b" against a long name would otherwise retry the same pairs exponentially.
class TMatcher {
public:
  TMatcher(std::string_view A, std::string_view B)
      : FA(A), FB(B), FMemo((A.size() + 1) * (B.size() + 1), Unknown) {}

  bool Match(std::size_t I, std::size_t J) {
    int8_t& Slot = FMemo[I * (FB.size() + 1) + J];
    if (Slot == Unknown) Slot = Compute(I, J) ? 1 : 0;
    return Slot == 1;
  }

private:
  static constexpr int8_t Unknown = -1;

  bool Compute(std::size_t I, std::size_t J) {
    const std::string_view A = FA.substr(I), B = FB.substr(J);
    if (A == "*" || B == "*" || A == B) return true;
    if (A.empty() || B.empty()) return false;
    if (A[0] != B[0] && !IsWild(A[0]) && !IsWild(B[0])) return false;
    // After normalisation a "*" is never followed by another wildcard, so A[1] and B[1]
    // below are plain characters (the texts are longer than "*" here).
    if (A[0] == '*') {
      for (std::size_t K = 0; K < B.size(); ++K)
        if ((IsWild(B[K]) || B[K] == A[1]) && Match(I + 1, J + K)) return true;
    }
    if (B[0] == '*') {
      for (std::size_t K = 0; K < A.size(); ++K)
        if ((IsWild(A[K]) || A[K] == B[1]) && Match(I + K, J + 1)) return true;
    }
    if (A[0] == '*' || B[0] == '*') return false;
    return Match(I + 1, J + 1);
  }

  std::string_view FA, FB;
  std::vector<int8_t> FMemo;
};

}  // namespace

bool MatchesMask(std::string_view Name, std::string_view Mask) {
  const std::string A = NormalizeMask(Name), B = NormalizeMask(Mask);
  return TMatcher(A, B).Match(0, 0);
}

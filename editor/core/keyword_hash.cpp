#include "editor/core/keyword_hash.h"

#include <algorithm>
#include <stdexcept>
#include <string>

TCharFlags MakeCharFlags(std::string_view Chars, std::initializer_list<std::string_view> Ranges) {
  TCharFlags flags{};
  for (char c : Chars) flags[CharCode(c)] = true;
  for (std::string_view r : Ranges)
    for (unsigned c = CharCode(r.front()); c <= CharCode(r.back()); ++c) flags[c] = true;
  return flags;
}

bool IsExponentSign(const char* Line, std::size_t Start, std::size_t Run) {
  if (Line[Run] != '-' || Run == Start || (Line[Run - 1] != 'e' && Line[Run - 1] != 'E')) return false;
  if (Line[Run + 1] < '0' || Line[Run + 1] > '9') return false;
  for (std::size_t i = Start; i < Run; ++i)
    if (Line[i] == 'x' || Line[i] == 'X') return false;
  return true;
}

std::size_t LongestForm(const char* Text, std::span<const std::string_view> Forms) {
  std::size_t best = 0;
  for (std::string_view f : Forms) {
    if (f.size() <= best) continue;
    std::size_t i = 0;
    // A form holds no zero, so the comparison stops at the text's end.
    while (i < f.size() && Text[i] == f[i]) ++i;
    if (i == f.size()) best = i;
  }
  return best;
}

TKeywordHash::TKeywordHash(const TCharWeights& Weights, std::uint32_t TableSize, TCompare Compare,
                           std::initializer_list<std::initializer_list<TKeyword>> Groups)
    : FWeights(Weights), FTableSize(TableSize), FCompare(Compare) {
  for (const auto& g : Groups) FWords.insert(FWords.end(), g.begin(), g.end());
  // Stable, so that the keywords of one sum are compared in the order they were given.
  std::stable_sort(FWords.begin(), FWords.end(),
                   [this](const TKeyword& A, const TKeyword& B) { return SumOf(A.Word) < SumOf(B.Word); });
  FFirst.assign(FTableSize + 1, 0);
  for (const TKeyword& k : FWords) {
    std::uint32_t sum = SumOf(k.Word);
    if (sum >= FTableSize) throw std::logic_error("keyword outside its table: " + std::string(k.Word));
    FMaxSum = std::max(FMaxSum, sum);
    ++FFirst[sum + 1];
  }
  for (std::uint32_t s = 1; s <= FTableSize; ++s) FFirst[s] += FFirst[s - 1];
}

std::uint32_t TKeywordHash::SumOf(std::string_view Word) const {
  std::uint32_t sum = 0;
  for (char c : Word) sum += FWeights[CharCode(c)];
  return sum;
}

const TKeywordHash::TKeyword* TKeywordHash::Find(std::uint32_t Sum, std::string_view Word) const {
  if (Sum >= FTableSize) return nullptr;
  for (std::uint32_t i = FFirst[Sum]; i < FFirst[Sum + 1]; ++i) {
    const TKeyword& k = FWords[i];
    if (k.Word.size() != Word.size()) continue;
    if (FCompare == kcBytes) {
      if (k.Word == Word) return &k;
    } else if (std::equal(Word.begin(), Word.end(), k.Word.begin(),
                          [this](char A, char B) { return FWeights[CharCode(A)] == FWeights[CharCode(B)]; })) {
      return &k;
    }
  }
  return nullptr;
}

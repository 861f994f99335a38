// The scanning scheme shared by the C++, Java, Perl and Pascal highlighters: per language a
// table of identifier flags and a table of character weights, and a keyword table indexed
// by the sum of the weights of a word's characters. A word is looked up only among the
// keywords of its own sum, so most identifiers are rejected without a single comparison.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

using TCharFlags = std::array<bool, 256>;
using TCharWeights = std::array<std::uint32_t, 256>;

// Flags true for every character of Chars, and for every character between the two ends of
// each "a-z" style range in Ranges.
TCharFlags MakeCharFlags(std::string_view Chars, std::initializer_list<std::string_view> Ranges = {});

inline unsigned char CharCode(char C) { return static_cast<unsigned char>(C); }

// The end of a line as the scanners see it: the terminating zero (a zero inside the line
// ends strings and comments too), line feed or carriage return.
inline bool IsLineEnd(char C) { return C == 0 || C == '\n' || C == '\r'; }

// Blanks and control characters that are neither zero nor a line break.
inline bool IsBlank(char C) {
  unsigned char c = CharCode(C);
  return c >= 1 && c <= 32 && c != '\n' && c != '\r';
}

// Whether the "-" at Line[Run] is the sign of an exponent ("1e-5") in the number that
// begins at Line[Start]: it follows an "e" or "E", a digit follows it, and the number is
// not hexadecimal (where "e" is a digit and "-" a subtraction).
bool IsExponentSign(const char* Line, std::size_t Start, std::size_t Run);

// The length of the longest of Forms that Text begins with; 0 when none does. Text is read
// no further than its first zero.
std::size_t LongestForm(const char* Text, std::span<const std::string_view> Forms);

class TKeywordHash {
public:
  // How a word is compared with the keywords of its sum: byte for byte, or position by
  // position by weight (so letters match whatever their case when both cases weigh alike).
  enum TCompare { kcBytes, kcWeights };

  struct TKeyword {
    std::string_view Word;
    std::uint8_t Tag;  // what the language makes of the word
  };

  // Every keyword's sum must lie below TableSize.
  TKeywordHash(const TCharWeights& Weights, std::uint32_t TableSize, TCompare Compare,
               std::initializer_list<std::initializer_list<TKeyword>> Groups);

  std::uint32_t TableSize() const { return FTableSize; }
  int Count() const { return static_cast<int>(FWords.size()); }
  std::uint32_t MaxSum() const { return FMaxSum; }
  const std::vector<TKeyword>& Keywords() const { return FWords; }
  // The sum of the weights of Word's characters.
  std::uint32_t SumOf(std::string_view Word) const;
  // The keyword of sum Sum that Word equals, or nullptr; a sum outside the table finds
  // nothing.
  const TKeyword* Find(std::uint32_t Sum, std::string_view Word) const;

private:
  const TCharWeights& FWeights;
  std::uint32_t FTableSize;
  TCompare FCompare;
  std::uint32_t FMaxSum = 0;
  std::vector<TKeyword> FWords;       // ordered by sum
  std::vector<std::uint32_t> FFirst;  // FFirst[s]..FFirst[s + 1]: the keywords of sum s
};

// Small text routines of the settings storage and the file manager: OEM/ANSI conversion,
// replacement, the n-th occurrence of a text and words split by a set of delimiters.
// Positions count from 1.
#pragma once

#include <bitset>
#include <initializer_list>
#include <string>
#include <string_view>

// A set of byte values (the delimiters of the word routines).
class TCharSet {
public:
  TCharSet() = default;
  TCharSet(std::initializer_list<char> Chars) {
    for (char C : Chars) Include(C);
  }
  explicit TCharSet(std::string_view Chars) {
    for (char C : Chars) Include(C);
  }
  TCharSet& Include(char C) {
    FBits.set(static_cast<unsigned char>(C));
    return *this;
  }
  bool Contains(char C) const { return FBits.test(static_cast<unsigned char>(C)); }

private:
  std::bitset<256> FBits;
};

// 1251 -> 866 and back, byte by byte by table; the length is kept and bytes below 0x80
// are unchanged.
std::string StrToOem(std::string_view AnsiStr);
std::string OemToAnsiStr(std::string_view OemStr);

// Every occurrence of Search replaced, left to right; a replacement is never scanned again.
// An empty Search leaves the text unchanged.
std::string ReplaceStr(std::string_view S, std::string_view Search, std::string_view Replace);

// The position of the N-th occurrence of Substr in S (occurrences may overlap); 0 when there
// are fewer, when N < 1 or Substr is empty.
int NPos(std::string_view Substr, std::string_view S, int N);

// Words are maximal runs of characters that are not delimiters.
int WordCount(std::string_view S, const TCharSet& WordDelims);
int WordPosition(int N, std::string_view S, const TCharSet& WordDelims);  // 0 when fewer
std::string ExtractWord(int N, std::string_view S, const TCharSet& WordDelims);  // "" when fewer

// The characters from Pos up to the next delimiter (or the end); Pos moves past that one
// delimiter, or to the length + 1. Two delimiters in a row give an empty field.
std::string ExtractSubstr(std::string_view S, int& Pos, const TCharSet& Delims);

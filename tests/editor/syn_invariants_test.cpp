// What every highlighter keeps on any line: tokens that are contiguous, non-empty and give
// the line back, an end, and a legal state after it. The fuzz target syn_scanners_fuzz
// checks the same on arbitrary bytes.
#include <gtest/gtest.h>

#include <random>

#include "syn_invariants.h"

namespace {

// Random lines made of pieces that open and close the scanners' states, and of any bytes.
std::string RandomLine(std::mt19937& Rng, bool WithZeros) {
  static const char* pieces[] = {"/*", "*/", "/**", "{", "}", "(*", "*)", "//", "\"", "'", "\\", "$", "$^",
                                 "%", "@", "#", ".", "..", "1e-", "0x", "asm", "end", "property", "read",
                                 "published", ";", " ", "\t", "\r", "\n", "x", "<<=", ">>>="};
  std::uniform_int_distribution<int> length(0, 24), choice(0, 3), piece(0, std::size(pieces) - 1),
      byte(WithZeros ? 0 : 1, 255);
  std::string s;
  for (int n = length(Rng); n > 0; --n)
    if (choice(Rng) == 0)
      s += static_cast<char>(byte(Rng));
    else
      s += pieces[piece(Rng)];
  return s;
}

TEST(SynScanners, InvariantsOnRandomLines) {
  std::mt19937 rng(20240611);
  for (TScannerCase& c : AllScanners()) {
    SCOPED_TRACE(c.Hl->GetLanguageName());
    for (TmwRange start : c.States) {
      // Each start state, then on from the state the previous line left, as the editor does.
      TmwRange range = start;
      for (int i = 0; i < 400; ++i) {
        std::string line = RandomLine(rng, i % 4 == 3);
        std::string broken = CheckScan(*c.Hl, i % 8 == 0 ? start : range, line, c.States);
        ASSERT_EQ(broken, "") << "line \"" << line << "\"";
        range = c.Hl->GetRange();
      }
    }
  }
}

TEST(SynScanners, LinesThatEndInsideAToken) {
  for (TScannerCase& c : AllScanners()) {
    SCOPED_TRACE(c.Hl->GetLanguageName());
    for (TmwRange start : c.States)
      for (const char* line : {"\"abc\\", "'\\", "\"", "'", "/", "/*", "(", "(*", "{", "$", "$^", "%", "x", ".",
                               "..", "1e", "1e-", "0x", "#", "@", "<", ">>>", "a\\", "\xFF"})
        EXPECT_EQ(CheckScan(*c.Hl, start, line, c.States), "") << line;
  }
}

// Lines far longer than any window, each one long token: the editor draws only the
// visible columns of them, and the scanners must still take them whole.
TEST(SynScanners, TokensOfThousandsOfCharacters) {
  std::string run(5000, 'a'), digits(5000, '7');
  for (TScannerCase& c : AllScanners()) {
    SCOPED_TRACE(c.Hl->GetLanguageName());
    for (TmwRange start : c.States)
      for (const std::string& line : {run, digits, "\"" + run + "\"", "'" + run + "'", "/*" + run + "*/",
                                      "//" + run, "{" + run + "}", "(*" + run, "#" + run, "  " + run + " " + run})
        EXPECT_EQ(CheckScan(*c.Hl, start, line, c.States), "") << line.substr(0, 8);
  }
}

}  // namespace

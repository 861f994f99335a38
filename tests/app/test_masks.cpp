// Wildcard masks: normalisation and the symmetric match, as a table of cases.
#include <gtest/gtest.h>

#include <string>

#include "app/core/masks.h"

namespace {

struct TMaskCase {
  const char* Name;
  const char* Mask;
  bool Matches;
};

const TMaskCase Cases[] = {
    {"readme.txt", "*.txt", true},
    {"readme.txt", "read*", true},
    {"readme.txt", "*", true},
    {"readme.txt", "r?adme.*", true},
    {"readme.txt", "*.doc", false},
    {"readme.txt", "README.TXT", false},  // exact characters: callers fold case
    {"readme.txt", "readme.txt", true},
    {"readme.txt", "readme.tx", false},
    {"readme.txt", "readme.txt?", false},
    {"*.txt", "a?.*", true},  // both sides may hold wildcards
    {"a?.*", "*.txt", true},
    {"*.txt", "*.doc", false},
    {"", "", true},
    {"", "*", true},
    {"", "?", false},
    {"", "a", false},
    {"a", "", false},
    {"a", "a*", true},  // "*" matches an empty run
    {"a", "*a", true},
    {"a", "a?", false},
    {"abc", "***", true},
    {"abc", "**?", true},
    {"abc", "?**", true},
    {"", "***", true},
    // "*?" and "?*" need one character at least.
    {"", "**?", false},
    {"", "?**", false},
    {"ac", "a*?c", false},
    {"abc", "a*?c", true},
    {"abbbc", "a*?c", true},
    {"ab", "a?*b", false},
    {"axb", "a?*b", true},
    {"ab", "a*??", false},
    {"abc", "a*??", true},
    {"ac", "a*c", true},
    {"a*?c", "ac", false},  // the same from the other side
    {"a?*", "a*", true},
    {"ab", "??", true},
    {"ab", "???", false},
    {"abcabd", "*ab?", true},
    {"abcabd", "*a*b*d", true},
    {"abcabe", "*a*b*d", false},
    {"\xC0\xE1\xE2.txt", "\xC0*", true},  // 1251 letters compare as bytes
    {"\xC0\xE1\xE2.txt", "\xE0*", false},
    // Many stars against a long name that fails only at its end stays fast.
    {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaac",
     "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", false},
};

TEST(MatchesMask, Table) {
  for (const TMaskCase& C : Cases)
    EXPECT_EQ(MatchesMask(C.Name, C.Mask), C.Matches) << "name \"" << C.Name << "\" mask \"" << C.Mask << "\"";
}

TEST(NormalizeMask, RunsWithAStarKeepTheirMarks) {
  const struct {
    const char* In;
    const char* Out;
  } Rows[] = {
      {"***", "*"},      {"**?", "?*"},  {"?**", "?*"},         {"*?*?", "??*"}, {"a??b", "a??b"},
      {"a?*b", "a?*b"},  {"a*?b", "a?*b"}, {"*.*", "*.*"},      {"??.*??x", "??.??*x"}, {"", ""},
      {"abc", "abc"},
  };
  for (const auto& R : Rows) EXPECT_EQ(NormalizeMask(R.In), R.Out) << R.In;
}

}  // namespace

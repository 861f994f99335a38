#include "archive/core/arc_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

TEST(MatchFileSpec, Cases) {
  struct {
    const char *name, *mask;
    bool namesOnly, expected;
  } cases[] = {
      {"README", "*.*", false, true},  // ".*" appended to a name without a dot
      {"a.txt", "A.TX?", false, true},
      {"a.txt.", "a.txt", false, true},  // a trailing dot goes
      {"a.txt", "*.doc", false, false},
      {"a.txt", "a.txt", false, true},
      {"A.TXT", "a.txt", false, true},
      {"\xC0\xC1.txt", "\xE0\xE1.TXT", false, true},  // Cyrillic letters without case
      {"dir\\a.txt", "*.txt", false, true},
      {"dir/a.txt", "dir\\a.txt", false, true},
      {"dir\\a.txt", "other\\a.txt", false, false},
      {"dir\\a.txt", "other\\a.txt", true, true},
      {"dir\\", "*.*", true, false},  // nothing left of the name
      {"", "*", false, true},
      {"", "a", false, false},
      {"*", "", false, true},  // wildcards count on either side
      {"a?c", "abc", false, true},
      {"a*", "abc.d", false, true},
      {"abc", "abd", false, false},
      {"ab", "abc", false, false},
      {"abc", "ab", false, false},
      {"abc", "ab*", false, true},
      {"x.tar.gz", "*.gz", false, true},
      {"x.tar.gz", "*.tar", false, false},
  };
  for (auto& c : cases)
    EXPECT_EQ(MatchFileSpec(c.name, c.mask, c.namesOnly), c.expected) << c.name << " ~ " << c.mask;
}

namespace {
// The plain recursive definition of the symmetric match, for comparison.
bool Reference(const std::string& n, size_t i, const std::string& s, size_t j) {
  if (i == n.size() || j == s.size()) {
    const std::string& rest = i == n.size() ? s : n;
    for (size_t k = i == n.size() ? j : i; k < rest.size(); ++k)
      if (rest[k] != '*') return false;
    return true;
  }
  if (n[i] == '*') {
    for (size_t k = j; k <= s.size(); ++k)
      if (Reference(n, i + 1, s, k)) return true;
    return false;
  }
  if (s[j] == '*') {
    for (size_t k = i; k <= n.size(); ++k)
      if (Reference(n, k, s, j + 1)) return true;
    return false;
  }
  if (n[i] == '?' || s[j] == '?' || n[i] == s[j]) return Reference(n, i + 1, s, j + 1);
  return false;
}
}  // namespace

TEST(MatchFileSpec, AgreesWithTheRecursiveDefinition) {
  std::mt19937 rng(12345);
  const char alphabet[] = "ab*?";
  for (int round = 0; round < 20000; ++round) {
    std::string n, s;
    for (int k = rng() % 7; k > 0; --k) n += alphabet[rng() % 4];
    for (int k = rng() % 7; k > 0; --k) s += alphabet[rng() % 4];
    // Dots are kept out so that the ".*" rule does not apply; empty sides have their own rule.
    if (n.empty() || s.empty()) continue;
    ASSERT_EQ(MatchFileSpec(n + ".", s + ".", false), Reference(n, 0, s, 0)) << n << " ~ " << s;
  }
}

// "*.*" is answered without the matcher; "**.*" means the same and goes through it.
TEST(MatchFileSpec, DefaultMaskAgreesWithTheMatcher) {
  const char Alphabet[] = {'a', '.', '\\', '/'};
  std::vector<std::string> Names = {""};
  for (size_t k = 0; k < Names.size() && Names.size() < 1400; ++k)
    if (Names[k].size() < 5)
      for (char c : Alphabet) Names.push_back(Names[k] + c);
  for (const std::string& n : Names)
    for (bool namesOnly : {false, true})
      ASSERT_EQ(MatchFileSpec(n, "*.*", namesOnly), MatchFileSpec(n, "**.*", namesOnly)) << n << " " << namesOnly;
}

TEST(MatchFileSpec, ManyStarsStayPolynomial) {
  std::string name(3000, 'a');
  std::string mask;
  for (int i = 0; i < 40; ++i) mask += "*a";
  EXPECT_FALSE(MatchFileSpec(name + "b", mask + "*c", false));
  EXPECT_TRUE(MatchFileSpec(name + "c", mask + "*c", false));
}

TEST(SafeExtractPath, HostileNamesStayInside) {
  const std::string dir = "C:\\out\\";
  struct {
    const char *name, *expected;  // "" means refused
  } cases[] = {
      {"a.txt", "C:\\out\\a.txt"},
      {"dir\\sub/a.txt", "C:\\out\\dir\\sub\\a.txt"},
      {"..\\..\\x", "C:\\out\\x"},
      {"../../x", "C:\\out\\x"},
      {"a\\..\\..\\b", "C:\\out\\a\\b"},
      {"/etc/x", "C:\\out\\etc\\x"},
      {"\\x", "C:\\out\\x"},
      {"C:\\x", "C:\\out\\x"},
      {"C:x", "C:\\out\\x"},
      {"c:/windows/system32/x.dll", "C:\\out\\windows\\system32\\x.dll"},
      {"\\\\srv\\s\\x", "C:\\out\\x"},
      {"//srv/s/dir/x", "C:\\out\\dir\\x"},
      {"\\\\?\\C:\\x", "C:\\out\\x"},
      {"a:b", "C:\\out\\b"},  // a drive letter
      {"ab:c", "C:\\out\\ab_c"},
      {"dir\\file.txt:stream", "C:\\out\\dir\\file.txt_stream"},
      {"CON", "C:\\out\\_CON"},
      {"nul.txt", "C:\\out\\_nul.txt"},
      {"dir\\COM1", "C:\\out\\dir\\_COM1"},
      {"lpt9.log", "C:\\out\\_lpt9.log"},
      {"aux \\x", "C:\\out\\_aux\\x"},
      {"CONSOLE.txt", "C:\\out\\CONSOLE.txt"},
      {"a\tb\x01.txt", "C:\\out\\a_b_.txt"},
      {"what?*.txt", "C:\\out\\what__.txt"},
      {"...\\x", "C:\\out\\x"},
      {"dir. \\x. ", "C:\\out\\dir\\x"},
      {"..", ""},
      {"..\\..\\", ""},
      {"C:\\", ""},
      {"\\\\srv\\share", ""},
      {"./.", ""},
      {"", ""},
  };
  for (auto& c : cases) {
    const std::string got = SafeExtractPath(dir, c.name, true);
    EXPECT_EQ(got, c.expected) << c.name;
    if (!got.empty()) {
      ASSERT_EQ(got.compare(0, dir.size(), dir), 0) << c.name;
      const std::string rest = "\\" + got.substr(dir.size()) + "\\";
      EXPECT_EQ(rest.find("\\..\\"), std::string::npos) << c.name;
      EXPECT_EQ(rest.find(':'), std::string::npos) << c.name;
    }
  }
}

TEST(SafeExtractPath, WithoutStoredDirsAndRelativeDir) {
  EXPECT_EQ(SafeExtractPath("D:\\OUT\\", "C:\\DIR\\F.TXT", false), "D:\\OUT\\F.TXT");
  EXPECT_EQ(SafeExtractPath("D:\\OUT\\", "C:\\DIR\\F.TXT", true), "D:\\OUT\\DIR\\F.TXT");
  EXPECT_EQ(SafeExtractPath("out\\", "..\\a.txt", true), "out\\a.txt");
  EXPECT_EQ(SafeExtractPath("out", "a.txt", true), "out\\a.txt");
  EXPECT_EQ(SafeExtractPath("D:\\OUT\\", "dir\\..", false), "D:\\OUT\\dir");
}

TEST(VolumeNames, Sequence) {
  struct {
    const char* name;
    bool arj;
    uint8_t letter;
    int32_t number;
    const char *next, *after;
  } cases[] = {
      {"ARC.A01", false, 'A', 2, "ARC.A02", "ARC.A03"},
      {"ARC.001", false, 255, 2, "ARC.002", "ARC.003"},
      {"X.ARJ", true, 'A', 1, "X.A01", "X.A02"},
      {"X.ARJ", false, 'A', 0, "X.A00", "X.A01"},
      {"X.099", false, 255, 100, "X.100", "X.101"},
      {"X.R98", false, 'R', 99, "X.R99", "X.100"},
      {"C:\\v1.2\\X.A08", false, 'A', 9, "C:\\v1.2\\X.A09", "C:\\v1.2\\X.A10"},
  };
  for (auto& c : cases) {
    TVolumeState v;
    ParseVolumeExt(v, c.name, c.arj);
    EXPECT_EQ(v.VolumeLetter, c.letter) << c.name;
    EXPECT_EQ(v.VolumeNumber, c.number) << c.name;
    EXPECT_EQ(MakeNextVolumeName(v, c.name), c.next) << c.name;
    EXPECT_EQ(MakeNextVolumeName(v, c.name), c.after) << c.name;
  }
  TVolumeState v;
  v.VolumeNumber = -1;
  EXPECT_EQ(VolumeExt(v), "");
  EXPECT_EQ(MakeNextVolumeName(v, "X.A01"), "");
  v.VolumeNumber = 3;
  EXPECT_EQ(MakeNextVolumeName(v, ""), "");
}

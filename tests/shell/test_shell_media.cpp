// Transfer blocks between programs and the shell controls' portable texts: CIDA and
// CF_HDROP layouts with malformed blocks from outside, shortcut names, new-folder names
// and the Send To menu character.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/core/pidl_bytes.h"
#include "shell/core/pt_shell_strings.h"
#include "shell/core/shell_media.h"

namespace {

const uint8_t ParentList[] = {5, 0, 'C', ':', '\\', 0, 0};
const uint8_t ChildA[] = {4, 0, 'a', 'b', 0, 0};
const uint8_t ChildB[] = {3, 0, 'x', 0, 0};

uint32_t At32(const TMediumBytes& B, size_t At) {
  return B[At] | (B[At + 1] << 8) | (B[At + 2] << 16) | (uint32_t(B[At + 3]) << 24);
}

TEST(ShellMedia, CidaLayoutIsExactAndParsesBack) {
  TMediumBytes B = MakeCidaBytes(ParentList, {ChildA, ChildB});
  const TMediumBytes Want = {2, 0, 0, 0,  16, 0, 0, 0,  23, 0, 0, 0,  29, 0, 0, 0,
                             5, 0, 'C', ':', '\\', 0, 0, 4, 0, 'a', 'b', 0, 0, 3, 0, 'x', 0, 0};
  EXPECT_EQ(B, Want);

  TCidaView View;
  ASSERT_TRUE(ParseCida(B.data(), B.size(), View));
  ASSERT_EQ(View.Children.size(), 2u);
  EXPECT_TRUE(PidlBytesEqual(View.Parent, ParentList));
  EXPECT_TRUE(PidlBytesEqual(View.Children[1], ChildB));

  // The desktop as parent is written as an empty list.
  TMediumBytes D = MakeCidaBytes(nullptr, {ChildA});
  EXPECT_EQ(At32(D, 4), 12u);
  EXPECT_EQ(D[12] | D[13], 0);
  EXPECT_EQ(D.size(), 12u + 2 + sizeof(ChildA));
}

TEST(ShellMedia, MalformedCidaIsRefused) {
  TMediumBytes Good = MakeCidaBytes(ParentList, {ChildA});
  struct Case {
    const char* Name;
    TMediumBytes Bytes;
  };
  auto With = [&](size_t At, uint32_t V) {
    TMediumBytes B = Good;
    for (int i = 0; i < 4; ++i) B[At + i] = uint8_t(V >> (8 * i));
    return B;
  };
  const Case Cases[] = {
      {"too short for a count", {1, 0, 0}},
      {"count past the block", With(0, 1000)},
      {"huge count", With(0, 0xFFFFFFFF)},
      {"parent offset past the end", With(4, uint32_t(Good.size()))},
      {"child offset past the end", With(8, 0x7FFFFFF0)},
      {"child without terminator", TMediumBytes(Good.begin(), Good.end() - 2)},
  };
  for (const Case& C : Cases) {
    TCidaView View;
    EXPECT_FALSE(ParseCida(C.Bytes.data(), C.Bytes.size(), View)) << C.Name;
    EXPECT_TRUE(View.Children.empty()) << C.Name;
  }
}

TEST(ShellMedia, HDropHoldsLongNamesAndParsesBack) {
  std::u16string Long = u"C:\\" + std::u16string(300, u'n');
  TMediumBytes B = MakeHDropBytes({Long, u"D:\\\x0416.txt"});
  // Header: pFiles 20, point (0, 0), fNC 0, fWide 1; names; one more zero.
  EXPECT_EQ(At32(B, 0), 20u);
  for (size_t At : {4, 8, 12}) EXPECT_EQ(At32(B, At), 0u);
  EXPECT_EQ(At32(B, 16), 1u);
  EXPECT_EQ(B.size(), 20 + 2 * (Long.size() + 1 + 8 + 1 + 1));

  THDropNames Names;
  ASSERT_TRUE(ParseHDrop(B.data(), B.size(), Names));
  ASSERT_TRUE(Names.Wide);
  ASSERT_EQ(Names.WideNames.size(), 2u);
  EXPECT_EQ(Names.WideNames[0], Long);
  EXPECT_EQ(Names.WideNames[1], u"D:\\\x0416.txt");
}

TEST(ShellMedia, HDropFromOthers) {
  auto Ansi = [](const std::string& Tail, size_t Start = 20) {
    TMediumBytes B(20, 0);
    B[0] = uint8_t(Start);
    B.insert(B.end(), Tail.begin(), Tail.end());
    return B;
  };
  using std::string_literals::operator""s;
  struct Case {
    const char* Name;
    TMediumBytes Bytes;
    bool Ok;
    std::vector<std::string> Names;
  };
  const Case Cases[] = {
      {"ansi names", Ansi("C:\\a\0C:\\b\0\0"s), true, {"C:\\a", "C:\\b"}},
      {"no closing zero", Ansi("C:\\a\0"s), true, {"C:\\a"}},
      {"name runs past the end", Ansi("C:\\a"s), false, {}},
      {"names start inside the header", Ansi("C:\\a\0\0"s, 8), false, {}},
      {"names start past the end", Ansi("C:\\a\0\0"s, 200), false, {}},
      {"short header", TMediumBytes(12, 0), false, {}},
  };
  for (const Case& C : Cases) {
    THDropNames N;
    EXPECT_EQ(ParseHDrop(C.Bytes.data(), C.Bytes.size(), N), C.Ok) << C.Name;
    if (C.Ok) {
      EXPECT_EQ(N.AnsiNames, C.Names) << C.Name;
    }
  }
}

TEST(ShellMedia, TextAndDropEffect) {
  TMediumBytes T = MakePathTextBytes({"C:\\Windows"});
  EXPECT_EQ(std::string(T.begin(), T.end()), std::string("C:\\Windows\r\n\0", 13));
  TMediumBytes E = MakeDropEffectBytes(2);
  EXPECT_EQ(ParseDropEffect(E.data(), E.size()), 2u);
  EXPECT_EQ(ParseDropEffect(E.data(), 3), 0u);
}

TEST(ShellShortcuts, TextsBothWays) {
  struct Case {
    uint16_t Shortcut;
    const char* Text;
  };
  const Case Cases[] = {
      {0x4074, "Ctrl+F5"}, {0x2000 | 46, "Shift+Del"}, {8, "BkSp"},       {0x8000 | 27, "Alt+Esc"},
      {0x4000 | 186, "Ctrl+#186"}, {0xE041, "Shift+Ctrl+Alt+A"}, {33, "PgUp"}, {135, "F24"},
      {0x4000 | 13, "Ctrl+Enter"},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(ShortcutToText(C.Shortcut), C.Text);
    EXPECT_EQ(TextToShortcut(C.Text), C.Shortcut) << C.Text;
  }
  // The keypad digits read back as the main digits, which come first.
  EXPECT_EQ(ShortcutToText(96 + 7), "7");
  EXPECT_EQ(TextToShortcut("7"), 55);

  struct Parse {
    const char* Text;
    uint16_t Shortcut;
  };
  const Parse Reads[] = {{"ctrl+shift+a", 0x6041}, {"^V", 0x4056}, {"Ctrl+", 0}, {"", 0},
                         {"Ctrl+Nothing", 0},      {"alt+f4", 0x8000 | 115}};
  for (const Parse& P : Reads) EXPECT_EQ(TextToShortcut(P.Text), P.Shortcut) << P.Text;
}

TEST(ShellShortcuts, DefaultCommandKeys) {
  EXPECT_EQ(DefaultShortcut(dscSelectAll), 0x4041);
  EXPECT_EQ(DefaultShortcut(dscDelete), 46);
  EXPECT_EQ(DefaultShortcut(dscPaste), 0x4056);
  EXPECT_EQ(DefaultShortcut(dscRename), 113);
  EXPECT_EQ(FindDefaultShortcut(116), dscRefresh);
  EXPECT_EQ(FindDefaultShortcut(0x4043), dscCopy);
  EXPECT_EQ(FindDefaultShortcut(0x4044), dscCount);
  EXPECT_EQ(FindDefaultShortcut(0), dscCount);
}

TEST(ShellStrings, NewFolderNamesAndRoots) {
  EXPECT_EQ(NewFolderName(1), "New Folder");
  EXPECT_EQ(NewFolderName(3), "New Folder (3)");
  EXPECT_EQ(NewFolderName(50), "New Folder (50)");
  EXPECT_FALSE(IsPathBelowRoot("A:\\"));
  EXPECT_FALSE(IsPathBelowRoot(""));
  EXPECT_TRUE(IsPathBelowRoot("C:\\x"));
}

TEST(ShellStrings, SendToMenuCharacter) {
  const std::vector<std::string> Names = {"Desktop.lnk", "mail.lnk", "Disk.lnk", "\xC0\xE1.lnk"};
  struct Case {
    int Highlighted;
    char Ch;
    uint32_t Result;
  };
  const Case Cases[] = {
      {-1, 'm', 0x20001},   // unique: executed at once
      {-1, 'd', 0x30000},   // two names: selected only
      {0, 'd', 0x30002},    // from after the highlighted one
      {2, 'd', 0x30000},    // wrapping round
      {-1, 'z', 1},         // no name: ignored
      {-1, '\xE0', 0x20003},  // 1251 letters compare without case
  };
  for (const Case& C : Cases) EXPECT_EQ(SendToMenuChar(Names, C.Highlighted, C.Ch), C.Result) << C.Ch;
}

}  // namespace

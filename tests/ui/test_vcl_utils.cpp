// Command lines, text shortening and the line breaks of streamed text.
#include <gtest/gtest.h>

#include <string>

#include "ui/core/line_breaks.h"
#include "ui/core/vcl_utils.h"

TEST(SplitCommandLine, Table) {
  struct {
    const char* Line;
    const char* Exe;
    const char* Params;
  } Cases[] = {
      {"", "", ""},
      {"   ", "", ""},
      {"notepad.exe", "notepad.exe", ""},
      {"C:\\Tools\\calc.exe /x", "C:\\Tools\\calc.exe", "/x"},
      {"\"C:\\Program Files\\ed.exe\" -n \"a b.txt\"", "C:\\Program Files\\ed.exe", "-n \"a b.txt\""},
      {"\t prog\t\ta   b ", "prog", "a b"},
      {"\"\" \"\" prog x", "prog", "x"},
      {"\"unterminated path", "unterminated path", ""},
      {"pre\"fix q\"post arg", "prefix qpost", "arg"},
      // Bytes above 127 (Cyrillic in 1251) belong to words.
      {"\xEF\xF0\xEE\xE3 \xE0\xF0\xE3", "\xEF\xF0\xEE\xE3", "\xE0\xF0\xE3"},
  };
  for (const auto& C : Cases) {
    std::string Exe = "x", Params = "x";
    SplitCommandLine(C.Line, Exe, Params);
    EXPECT_EQ(Exe, C.Exe) << C.Line;
    EXPECT_EQ(Params, C.Params) << C.Line;
  }
}

TEST(MinimizeText, Table) {
  // Every character 10 units wide.
  auto Width = [](const std::string& S) { return int(S.size()) * 10; };
  struct {
    const char* Text;
    int Max;
    const char* Expected;
  } Cases[] = {
      {"short", 50, "short"},
      {"", 0, ""},
      {"abcdefgh", 60, "abc..."},
      {"abcdefgh", 79, "abcd..."},
      {"abcdefgh", 30, "..."},
      // Not even "..." fits: the loop still ends.
      {"abcdefgh", 5, "..."},
      {"abcdefgh", -1, "..."},
  };
  for (const auto& C : Cases) EXPECT_EQ(MinimizeText(C.Text, Width, C.Max), C.Expected) << C.Text << " " << C.Max;
}

namespace {

// The normalised text of Input fed in chunks of Chunk characters.
std::string Normalise(const std::string& Input, std::size_t Chunk) {
  TLineBreakNormalizer N;
  std::string Out;
  for (std::size_t I = 0; I < Input.size(); I += Chunk)
    N.Convert(Input.data() + I, std::min(Chunk, Input.size() - I), Out);
  return Out;
}

}  // namespace

TEST(LineBreaks, EveryBreakBecomesCrLfWhateverTheChunks) {
  struct {
    const char* In;
    const char* Out;
  } Cases[] = {
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\rb\r", "a\r\nb\r\n"},
      {"a\r\nb", "a\r\nb"},
      {"a\r\rb", "a\r\n\r\nb"},
      {"a\n\rb", "a\r\n\r\nb"},
      {"\r\n\r\n", "\r\n\r\n"},
      {"no break", "no break"},
  };
  for (const auto& C : Cases)
    for (std::size_t Chunk : {1, 2, 3, 64}) EXPECT_EQ(Normalise(C.In, Chunk), C.Out) << C.In << " chunk " << Chunk;
}

TEST(LineBreaks, Utf16Units) {
  std::u16string In = u"\u043F\r\u0440\n", Out;
  TLineBreakNormalizer N;
  N.Convert(In.data(), 2, Out);
  N.Convert(In.data() + 2, 2, Out);
  EXPECT_EQ(Out, u"\u043F\r\n\u0440\r\n");
}

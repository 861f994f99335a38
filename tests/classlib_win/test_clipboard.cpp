// The clipboard: text in both directions, file lists, registered formats, pictures.
#include <gtest/gtest.h>

#include "classlib/core/strings.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/clipboard.h"
#include "classlib/win/picture.h"

namespace {

const std::string Cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";  // "Привет, мир" in 1251

TEST(Clipboard, TextGoesThroughUnicodeAndTheSystemsCodePage) {
  Clipboard()->SetAsText(Cyrillic);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));  // offered by the system
  EXPECT_EQ(Clipboard()->AsText(), Cyrillic);
  // The system's ANSI text of the test prefix is 1251: the same bytes.
  std::vector<uint8_t> Ansi = Clipboard()->GetBuffer(CF_TEXT);
  ASSERT_GE(Ansi.size(), Cyrillic.size());
  EXPECT_EQ(std::string(Ansi.begin(), Ansi.begin() + Cyrillic.size()), Cyrillic);

  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST(Clipboard, FilesAsTheShellPassesThem) {
  TStringList Files;
  Files.Add("C:\\windows\\win.ini");
  Files.Add("C:\\\xD4\xE0\xE9\xEB\xFB\\readme.txt");
  Clipboard()->SetFiles(&Files);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_HDROP));
  TStringList Back;
  Clipboard()->GetFiles(&Back);
  EXPECT_EQ(Back.Text(), Files.Text());
  Clipboard()->SetAsText("x");
  Clipboard()->GetFiles(&Back);
  EXPECT_EQ(Back.Count(), 0);
}

TEST(Clipboard, SeveralFormatsInOneOpenBracket) {
  UINT Custom = RegisterClipboardFormatW(L"Zembrix Test Format");
  ASSERT_NE(Custom, 0u);
  const char Data[] = {1, 2, 0, 3};
  Clipboard()->Open();
  Clipboard()->SetAsText("both");
  Clipboard()->SetBuffer(Custom, Data, sizeof Data);
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->AsText(), "both");
  std::vector<uint8_t> Back = Clipboard()->GetBuffer(Custom);
  ASSERT_GE(Back.size(), sizeof Data);
  EXPECT_EQ(std::vector<uint8_t>(Back.begin(), Back.begin() + 4), (std::vector<uint8_t>{1, 2, 0, 3}));
  bool Found = false;
  for (int I = 0; I < Clipboard()->FormatCount(); ++I) Found |= Clipboard()->Formats(I) == Custom;
  EXPECT_TRUE(Found);
  // Outside a bracket every call starts afresh.
  Clipboard()->SetAsText("alone");
  EXPECT_FALSE(Clipboard()->HasFormat(Custom));
}

TEST(Clipboard, PicturesInTheirRegisteredFormat) {
  TPicture P;
  P.Bitmap()->SetSize(5, 4);
  P.Bitmap()->Canvas()->SetPixels(2, 1, TColor(0x0000FF));
  Clipboard()->Assign(&P);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_DIB));
  TPicture Back;
  Back.Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TBitmap*>(Back.Graphic()), nullptr);
  EXPECT_EQ(Back.Width(), 5);
  EXPECT_EQ(Back.Bitmap()->Canvas()->Pixels(2, 1), TColor(0x0000FF));
  TBitmap B;
  B.Assign(Clipboard());
  EXPECT_EQ(B.Height(), 4);
  Clipboard()->SetAsText("no picture");
  EXPECT_THROW(Back.Assign(Clipboard()), EClipboardException);
  EXPECT_EQ(Back.Width(), 5);
}

}  // namespace

// The menu of a right-button drop on the panels speaks the user's language, read from the
// language file when it is shown, and falls back to English where the file lacks a text;
// so do the names of the shortcuts and copies made.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "classlib/core/code_page.h"
#include "classlib/win/wide_string.h"
#include "shell/drop_menu.h"
#include "storage/core/file_utils.h"
#include "tests/support/file_bytes.h"
#include "tests/support/main_window_fixture.h"

namespace {

std::vector<std::string> Entries(DWORD Allowed) {
  HMENU Menu = CreateDropMenu(Allowed, DROPEFFECT_COPY);
  std::vector<std::string> R;
  for (int I = 0; I < GetMenuItemCount(Menu); ++I) {
    wchar_t Buf[128] = {};
    GetMenuStringW(Menu, UINT(I), Buf, 128, MF_BYPOSITION);
    R.push_back(FromWide(Buf));
  }
  DestroyMenu(Menu);
  return R;
}

class DropMenuTexts : public MainWindowFixture {};

TEST_F(DropMenuTexts, ComeFromTheLanguageFileAndFallBackToEnglish) {
  ForceDirectories(ExtractFilePath(LngFileName()));
  ASSERT_TRUE(CopyFileW(ToWide(std::string("Z:") + ZX_TEST_DATA + "/../../resources/langs/Russian.zq.lng").c_str(),
                        ToWide(LngFileName()).c_str(), FALSE));
  CreateMainForm();
  EXPECT_EQ(Entries(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK),
            (std::vector<std::string>{Utf8ToCp1251("&Копировать сюда"), Utf8ToCp1251("&Переместить сюда"),
                                      Utf8ToCp1251("&Создать ярлыки"), "", Utf8ToCp1251("Отмена")}));
  // The names of the shortcuts and copies the panels make come from the same file.
  const TDropMenuTexts Names = CurrentDropMenuTexts();
  EXPECT_EQ(MadeName(Names.ShortcutName, L"Shortcut to %s", L"a.txt"), L"\u042F\u0440\u043B\u044B\u043A \u0434\u043B\u044F a.txt");
  EXPECT_EQ(MadeName(Names.NumberedCopyName, L"Copy (%d) of %s", L"a.txt", 2), L"\u041A\u043E\u043F\u0438\u044F (2) a.txt");
  // Read when shown: a language file without these texts gives the English ones.
  WriteFileBytes(LngFileName(), "[String]\r\nCopy=Copy\r\n");
  EXPECT_EQ(Entries(DROPEFFECT_COPY | DROPEFFECT_LINK),
            (std::vector<std::string>{"&Copy Here", "Create &Shortcuts Here", "", "Cancel"}));
}

}  // namespace

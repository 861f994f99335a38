// The class library's headers with windows.h included first: its macros (RegisterClass,
// DEFAULT_CHARSET) must not break them. The other order is in test_windows_headers_after.cpp.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"

namespace {

TEST(WindowsHeaders, IncludedBeforeTheClassLibrary) {
  RegisterClass(TFont::StaticClassInfo());
  EXPECT_EQ(GetClass("TFont"), TFont::StaticClassInfo());
  UnRegisterClassInfo(TFont::StaticClassInfo());
  TFont Font;
  Font.SetCharset(RUSSIAN_CHARSET);
  EXPECT_EQ(GetPropText(&Font, "Charset"), "RUSSIAN_CHARSET");
  EXPECT_EQ(DEFAULT_CHARSET, 1);
#ifdef _WIN32
  WNDCLASSW Class{};
  Class.lpszClassName = L"ZxHeaderTest";
  Class.lpfnWndProc = DefWindowProcW;
  ATOM Atom = RegisterClass(&Class);  // still the platform's
  EXPECT_NE(Atom, 0);
  UnregisterClassW(L"ZxHeaderTest", nullptr);
#endif
}

}  // namespace

// The class library's headers first, windows.h after them.
#include <gtest/gtest.h>

#include "classlib/core/component.h"
#include "classlib/core/font.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

TEST(WindowsHeaders, IncludedAfterTheClassLibrary) {
  RegisterClass(TComponent::StaticClassInfo());
  EXPECT_EQ(GetClass("tcomponent"), TComponent::StaticClassInfo());
  UnRegisterClassInfo(TComponent::StaticClassInfo());
  EXPECT_EQ(OEM_CHARSET, 255);
#ifdef _WIN32
  WNDCLASSW Class{};
  Class.lpszClassName = L"ZxHeaderTest2";
  Class.lpfnWndProc = DefWindowProcW;
  EXPECT_NE(RegisterClass(&Class), 0);
  UnregisterClassW(L"ZxHeaderTest2", nullptr);
#endif
}

}  // namespace

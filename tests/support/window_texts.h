// The texts windows show, in the program's code page, for tests that read what a dialog
// put on the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/win/wide_string.h"

inline std::string WindowText(HWND W) {
  wchar_t Buf[512] = {};
  GetWindowTextW(W, Buf, 512);
  return FromWideBuf(Buf, 512);
}

namespace window_texts_detail {
struct TChildTexts {
  const wchar_t* Class;
  std::vector<std::string> Texts;
};
inline BOOL CALLBACK AddChildText(HWND W, LPARAM P) {
  auto* C = reinterpret_cast<TChildTexts*>(P);
  wchar_t Class[32] = {};
  GetClassNameW(W, Class, 32);
  if (C->Class == nullptr || lstrcmpiW(Class, C->Class) == 0) C->Texts.push_back(WindowText(W));
  return TRUE;
}
}  // namespace window_texts_detail

// The texts of Parent's child windows of the window class Class (every child when it is
// null), in the order of the windows.
inline std::vector<std::string> ChildTexts(HWND Parent, const wchar_t* Class = nullptr) {
  window_texts_detail::TChildTexts C{Class, {}};
  EnumChildWindows(Parent, window_texts_detail::AddChildText, reinterpret_cast<LPARAM>(&C));
  return C.Texts;
}

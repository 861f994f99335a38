// The boundary between the program's 1251 strings and the wide (UTF-16) Win32 API.
#pragma once

#include <string>
#include <string_view>

#include "classlib/core/code_page.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide characters are UTF-16 units");

inline std::wstring ToWide(std::string_view S) {
  std::u16string U = Cp1251ToUtf16(S);
  return std::wstring(U.begin(), U.end());
}

inline std::string FromWide(std::wstring_view S) {
  return Utf16ToCp1251(std::u16string_view(reinterpret_cast<const char16_t*>(S.data()), S.size()));
}

// A zero-terminated wide buffer of at most MaxLen units (a truncated API result stays safe).
inline std::string FromWideBuf(const wchar_t* S, std::size_t MaxLen) {
  std::size_t N = 0;
  while (N < MaxLen && S[N] != 0) ++N;
  return FromWide(std::wstring_view(S, N));
}

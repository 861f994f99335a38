#include "storage/short_names.h"

#include <windows.h>

#include "classlib/core/code_page.h"

namespace {

std::wstring Wide(const std::string& S) {
  std::u16string U = Cp1251ToUtf16(S);
  return std::wstring(U.begin(), U.end());
}

std::string Narrow(const wchar_t* S) { return Utf16ToCp1251(reinterpret_cast<const char16_t*>(S)); }

// The find data of the single entry Name designates.
bool FindEntry(const std::string& Name, WIN32_FIND_DATAW& Data) {
  if (Name.empty() || Name.find_first_of("*?") != std::string::npos) return false;
  HANDLE H = FindFirstFileW(Wide(Name).c_str(), &Data);
  if (H == INVALID_HANDLE_VALUE) return false;
  FindClose(H);
  return true;
}

template <class Convert>
std::string ConvertPath(const std::string& Path, Convert Name) {
  std::string Rest = Path, Result;
  for (size_t Slash; (Slash = Rest.rfind('\\')) != std::string::npos; Rest.resize(Slash))
    Result = "\\" + Name(Rest) + Result;
  return Rest + Result;
}

}  // namespace

std::string ShortToLongFileName(const std::string& Name) {
  WIN32_FIND_DATAW Data;
  if (!FindEntry(Name, Data)) return {};
  return Narrow(Data.cFileName[0] != 0 ? Data.cFileName : Data.cAlternateFileName);
}

std::string LongToShortFileName(const std::string& Name) {
  WIN32_FIND_DATAW Data;
  if (!FindEntry(Name, Data)) return {};
  return Narrow(Data.cAlternateFileName[0] != 0 ? Data.cAlternateFileName : Data.cFileName);
}

std::string ShortToLongPath(const std::string& Path) { return ConvertPath(Path, ShortToLongFileName); }

std::string LongToShortPath(const std::string& Path) { return ConvertPath(Path, LongToShortFileName); }

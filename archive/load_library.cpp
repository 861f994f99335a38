#include "classlib/win/wide_string.h"

#include <windows.h>

#include "archive/load_library.h"

HMODULE MyLoadLibrary(const std::string& Name) {
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const HMODULE module = LoadLibraryW(ToWide(Name).c_str());
  SetErrorMode(oldMode);
  return module;
}

void* LibraryProc(HMODULE Module, const char* Name) {
  return reinterpret_cast<void*>(GetProcAddress(Module, Name));
}

// Loading of the libraries the archive readers call at run time (cabinet.dll, UnRAR.dll).
#pragma once

#include <string>

struct HINSTANCE__;
typedef HINSTANCE__* HMODULE;

// LoadLibrary with the system's boxes for a missing file or drive suppressed, so that a
// missing library is only a failed load. Nullptr when it cannot be loaded.
HMODULE MyLoadLibrary(const std::string& Name);

// The address of an entry point of Module; nullptr when it has none.
void* LibraryProc(HMODULE Module, const char* Name);

// Binds the function pointer Fn to Module's entry point Name; false when it is missing.
template <class F>
bool Bind(HMODULE Module, F& Fn, const char* Name) {
  Fn = reinterpret_cast<F>(LibraryProc(Module, Name));
  return Fn != nullptr;
}

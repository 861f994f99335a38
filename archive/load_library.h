// Loading of the libraries the archive readers call at run time (cabinet.dll, UnRAR.dll).
#pragma once

#include <string>

struct HINSTANCE__;
typedef HINSTANCE__* HMODULE;

// LoadLibrary with the system's boxes for a missing file or drive suppressed, so that a
// missing library is only a failed load. Nullptr when it cannot be loaded.
HMODULE MyLoadLibrary(const std::string& Name);

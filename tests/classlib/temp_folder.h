// A fresh folder under the system's temporary folder for one test, named the program's
// way (1251, "\" separators) and removed with its contents afterwards.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"

class TTempFolder {
public:
  TTempFolder() {
    namespace fs = std::filesystem;
    std::random_device Rd;
    for (int Try = 0; Try < 100 && FNative.empty(); ++Try) {
      fs::path P = fs::temp_directory_path() / ("zx-test-" + std::to_string(Rd()));
      std::error_code Ec;
      if (fs::create_directory(P, Ec)) FNative = P;
    }
#ifdef _WIN32
    FPath = Utf16ToCp1251(FNative.u16string());
#else
    FPath = Utf8ToCp1251(FNative.string());
    std::replace(FPath.begin(), FPath.end(), '/', '\\');
#endif
  }
  ~TTempFolder() {
    namespace fs = std::filesystem;
    std::error_code Ec;
    // Read-only files would stop the removal on Windows.
    for (auto It = fs::recursive_directory_iterator(FNative, Ec); !Ec && It != fs::recursive_directory_iterator();
         It.increment(Ec))
      fs::permissions(It->path(), fs::perms::owner_write, fs::perm_options::add, Ec);
    fs::remove_all(FNative, Ec);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder, without a trailing backslash.
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& Name) const { return FPath + "\\" + Name; }

private:
  std::filesystem::path FNative;
  std::string FPath;
};

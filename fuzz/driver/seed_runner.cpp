// A main() for fuzz targets outside libFuzzer: runs LLVMFuzzerTestOneInput over every file
// given, or every file in the folders given. The native build runs each target over its
// seeds under the sanitizers as a test; fuzzing itself is done by hand with clang (scripts/fuzz).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

namespace fs = std::filesystem;

static void RunFile(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int main(int argc, char** argv) {
  size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    fs::path p(argv[i]);
    if (fs::is_directory(p)) {
      size_t before = runs;
      for (auto& e : fs::recursive_directory_iterator(p))
        if (e.is_regular_file()) { RunFile(e.path()); ++runs; }
      if (runs == before) {
        // A target that runs over nothing would pass while checking nothing.
        std::fprintf(stderr, "no seeds in folder: %s\n", argv[i]);
        return 2;
      }
    } else if (fs::is_regular_file(p)) {
      RunFile(p);
      ++runs;
    } else {
      std::fprintf(stderr, "no such seed file or folder: %s\n", argv[i]);
      return 2;
    }
  }
  // Edge inputs every target must survive, whatever its seeds.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("%zu seed(s) ran clean\n", runs);
  return 0;
}

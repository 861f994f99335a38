// Every highlighter over arbitrary bytes: the input is cut at zero bytes into lines that
// are scanned one after the other, from every start state, carrying the state from line to
// line as the editor does; the whole input is also scanned as one line, zeros and all.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/editor/syn_invariants.h"

namespace {

void Check(TScannerCase& C, TmwRange Start, const std::string& Line) {
  std::string broken = CheckScan(*C.Hl, Start, Line, C.States);
  if (!broken.empty()) {
    std::fprintf(stderr, "%s: %s\n", C.Hl->GetLanguageName().c_str(), broken.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static std::vector<TScannerCase> scanners = AllScanners();
  std::string input(reinterpret_cast<const char*>(Data), Size);
  std::vector<std::string> lines;
  for (std::size_t at = 0;;) {
    std::size_t zero = input.find('\0', at);
    lines.push_back(input.substr(at, zero == std::string::npos ? std::string::npos : zero - at));
    if (zero == std::string::npos) break;
    at = zero + 1;
  }
  for (TScannerCase& c : scanners) {
    for (TmwRange start : c.States) {
      TmwRange range = start;
      for (const std::string& line : lines) {
        Check(c, range, line);
        range = c.Hl->GetRange();
      }
    }
    Check(c, c.States.back(), input);
  }
  return 0;
}

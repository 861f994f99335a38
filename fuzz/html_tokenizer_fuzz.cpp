// The tokenizer over arbitrary bytes, through every scanner, as a buffer and as a stream:
// it must end at the end-of-input symbol (or the open-comment error) and never read past
// the data. Each step consumes input or ends, so a bounded loop is a hang check.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "classlib/core/stream.h"
#include "html/core/html_tokenizer.h"

namespace {

void Run(THtmlTokenizer& T, std::size_t Size, int Scanner) {
  std::size_t steps = 0, limit = 4 * Size + 16;
  try {
    T.GetCh();
    for (;;) {
      if (++steps > limit) {
        std::fprintf(stderr, "tokenizer does not advance (scanner %d)\n", Scanner);
        std::abort();
      }
      if (Scanner == 0) T.NextSymbol();
      else if (Scanner == 1) T.NextTextAreaSymbol();
      else T.NextScriptSymbol();
      if (T.LCToken.size() > THtmlTokenizer::MaxTokenLength) std::abort();
      if (T.Sy == EofSy) break;
      if (Scanner == 0 && T.Sy == TextAreaSy)
        T.ReadTextAreaContent([](const std::string&) {});
      if (Scanner == 0 && T.Sy == PreSy) T.InPre = !T.InPre;
    }
  } catch (const EParseError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // A copy of exactly Size bytes, so that the sanitizer sees any read past its end.
  char* copy = static_cast<char*>(std::malloc(Size ? Size : 1));
  if (Size) std::memcpy(copy, Data, Size);
  for (int scanner = 0; scanner < 3; ++scanner) {
    THtmlTokenizer t;
    t.SetBufferSource(copy, Size);
    t.InScript = scanner == 2;
    Run(t, Size, scanner);
  }
  TMemoryStream stream;
  if (Size) stream.Write(copy, static_cast<int>(Size));
  stream.SetPosition(0);
  THtmlTokenizer t;
  t.SetStreamSource(&stream);
  Run(t, Size, 0);
  std::free(copy);
  return 0;
}

#include "editor/core/token_scanner.h"

const TCharWeights& CaseSensitiveLetterWeights() {
  static const TCharWeights W = [] {
    TCharWeights w{};
    for (int c = 'A'; c <= 'Z'; ++c) w[c] = c - 64;
    for (int c = 'a'; c <= 'z'; ++c) w[c] = c - 95;
    return w;
  }();
  return W;
}

TmwIdentChars IdentCharsOf(const TCharFlags& Flags) {
  TmwIdentChars chars;
  for (int c = 0; c < 256; ++c) chars.set(c, Flags[c]);
  return chars;
}
